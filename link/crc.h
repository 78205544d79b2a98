#pragma once
// The two pieces of frame text that the readers of firmware files share with the transaction:
// the CRC that ends every frame and the hex fields read from replies and records.

#include <cstdint>
#include <string>

// CRC-16 (polynomial 0x8005, initial 0, no reflection) appended as 4 upper-case hex digits.
std::string AppendCRC(const std::string& text);
// Hex text to number; characters other than 0-9 and A-F count as 0.
std::uint32_t HexToWord(const std::string& text);
