#pragma once
// Hex text as the units read and write it: upper-case digits only. Parsing is strict, so a
// malformed field in a request is noticed rather than read as zeros.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sim {

std::string hex2(std::uint8_t value);
std::string hex4(std::uint16_t value);
std::string hex8(std::uint32_t value);

// The value of text made of upper-case hex digits only; nothing for an empty text, another
// character, or more than 8 digits.
std::optional<std::uint32_t> parseHex(std::string_view text);

// The width characters at offset (0-based) parsed as hex; nothing when the text is too short.
std::optional<std::uint32_t> hexAt(std::string_view text, std::size_t offset, std::size_t width);

} // namespace sim
