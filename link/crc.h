#pragma once
// The protocol's check digits and its reading of hex text.

#include <cstdint>
#include <string>

// CRC-16 (polynomial 0x8005, initial 0, no reflection) appended as 4 upper-case hex digits.
std::string AppendCRC(const std::string& text);
// Hex text to number; characters other than 0-9 and A-F count as 0.
std::uint32_t HexToWord(const std::string& text);
