#pragma once
// Checks of firmware text files that rely on nothing of the generator: a plain record
// scanner, and srec_cat (package srecord) to turn a file into a binary.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct ScannedRecord {
    std::string type;      // "00", "04", "01" for Intel HEX; "S0" ... "S9" for S-records
    std::uint32_t address; // full address (Intel HEX: with the extended linear address)
    std::size_t dataBytes;
};

// Every line must be a well-formed record in upper-case hex, end with LF only and carry a
// checksum that verifies; returns the records, or the first fault in error.
std::vector<ScannedRecord> scanIntelHex(const std::string& text, std::string& error);
std::vector<ScannedRecord> scanSRecords(const std::string& text, std::string& error);

// The binary that srec_cat makes of the file, starting at address base; nothing when
// srec_cat refuses the file.
std::optional<std::vector<std::uint8_t>> srecCatBinary(const std::filesystem::path& file,
                                                       bool intel, std::uint32_t base);

std::string readText(const std::filesystem::path& file);
