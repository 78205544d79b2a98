#include "crc.h"

#include <cstdio>

namespace {

constexpr std::uint16_t kPolynomial = 0x8005;

std::uint16_t crc16(const std::string& text) {
    std::uint16_t crc = 0;
    for (const char c : text) {
        const auto byte = static_cast<std::uint8_t>(c);
        for (int bit = 7; bit >= 0; --bit) {
            const bool dataBit = ((byte >> bit) & 1) != 0;
            const bool topBit = (crc & 0x8000) != 0;
            crc = static_cast<std::uint16_t>(crc << 1);
            if (dataBit != topBit) crc ^= kPolynomial;
        }
    }
    return crc;
}

std::uint32_t hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return static_cast<std::uint32_t>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<std::uint32_t>(c - 'A' + 10);
    return 0; // lower case and every other character count as 0
}

} // namespace

std::string AppendCRC(const std::string& text) {
    char digits[5];
    std::snprintf(digits, sizeof digits, "%04X", crc16(text));
    return text + digits;
}

std::uint32_t HexToWord(const std::string& text) {
    std::uint32_t value = 0;
    for (const char c : text)
        value = value * 16 + hexDigitValue(c);
    return value;
}
