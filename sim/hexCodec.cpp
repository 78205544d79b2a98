#include "sim/hexCodec.h"

#include <cstdio>

namespace sim {

namespace {
std::string hexDigits(std::uint32_t value, int width) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*X", width, static_cast<unsigned>(value));
    return buffer;
}

int digitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
} // namespace

std::string hex2(std::uint8_t value) {
    return hexDigits(value, 2);
}
std::string hex4(std::uint16_t value) {
    return hexDigits(value, 4);
}
std::string hex8(std::uint32_t value) {
    return hexDigits(value, 8);
}

std::optional<std::uint32_t> parseHex(std::string_view text) {
    if (text.empty() || text.size() > 8) return std::nullopt;
    std::uint32_t value = 0;
    for (char c : text) {
        int digit = digitValue(c);
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

std::optional<std::uint32_t> hexAt(std::string_view text, std::size_t offset, std::size_t width) {
    if (offset > text.size() || text.size() - offset < width) return std::nullopt;
    return parseHex(text.substr(offset, width));
}

} // namespace sim
