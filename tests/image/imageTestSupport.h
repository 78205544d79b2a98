#pragma once
// What the image tests share: a console that records the status log, a scratch working
// folder, and files made by the srecord and binutils tools.

#include "tests/support/recordingConsole.h"
#include "tests/support/workingFolder.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// A fresh folder that is the working folder while the object lives.
void WriteTextFile(const std::string& name, const std::string& text);
void WriteBinaryFile(const std::string& name, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> ReadBinaryFile(const std::string& name);
std::vector<std::uint8_t> RandomBytes(std::size_t count, std::uint32_t seed);
// Runs a shell command in the working folder; true when it exited with status 0.
bool RunTool(const std::string& command);
// A file of S2 records made by srec_cat whose version bytes at 0xFF9F00 read major.minor.
void MakeSRecordApplication(const std::string& name, int major, int minor);
// A 16-bit Intel HEX file made by srec_cat whose version bytes at 0xFBFC read major.minor.
void MakeHexApplication(const std::string& name, int major, int minor);
