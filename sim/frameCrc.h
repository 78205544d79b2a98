#pragma once
// CRC-16 of the frames (polynomial 0x8005, initial 0, no reflection). The simulator keeps its
// own copy rather than the tool's, so a fault in the tool's CRC shows up as rejected frames
// instead of being mirrored back as agreement.

#include <cstdint>
#include <string>
#include <string_view>

namespace sim {

std::uint16_t frameCrc(std::string_view text);
// The text followed by its CRC as 4 upper-case hex digits.
std::string withCrc(std::string_view text);

} // namespace sim
