#pragma once
// Time a character takes on the line: a start bit, 8 data bits and a stop bit.

#include <cstdint>

namespace sim {

constexpr double kBitsPerCharacter = 10;

// Microseconds per character at baud; 0 when the line is not paced.
inline double characterTimeUs(std::uint32_t baud) {
    return baud == 0 ? 0 : kBitsPerCharacter * 1e6 / baud;
}

} // namespace sim
