#pragma once
// Well-formed record lines for the reader tests, with the checksums of the two formats.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

inline std::string HexPair(unsigned value) {
    char text[4];
    std::snprintf(text, sizeof text, "%02X", value & 0xFF);
    return text;
}

// An Intel HEX record: ":" LL AAAA TT data checksum.
inline std::string IntelRecord(unsigned type, unsigned offset,
                               const std::vector<std::uint8_t>& data) {
    unsigned sum = data.size() + (offset >> 8) + offset + type;
    std::string line =
        ":" + HexPair(data.size()) + HexPair(offset >> 8) + HexPair(offset) + HexPair(type);
    for (std::uint8_t byte : data) {
        line += HexPair(byte);
        sum += byte;
    }
    return line + HexPair(0x100 - (sum & 0xFF));
}

// An S-record of the given type with addressBytes of address.
inline std::string SRecord(char type, unsigned address, int addressBytes,
                           const std::vector<std::uint8_t>& data) {
    const unsigned count = addressBytes + data.size() + 1;
    unsigned sum = count;
    std::string line = std::string("S") + type + HexPair(count);
    for (int i = addressBytes - 1; i >= 0; --i) {
        line += HexPair(address >> (8 * i));
        sum += (address >> (8 * i)) & 0xFF;
    }
    for (std::uint8_t byte : data) {
        line += HexPair(byte);
        sum += byte;
    }
    return line + HexPair(~sum);
}

inline std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}
