#pragma once
// Where a unit's application finds its own version word in flash: the place the firmware
// file gives it (Intel HEX 16-bit: 0xFBFC; Intel HEX with high addresses: 0x3FBFC; S-record:
// 0x39F00; major number first).

#include "sim/unitModel.h"

#include <cstdint>

namespace sim {

// The place for this unit; Auto resolves by product ID and by the page addresses written.
VersionPlace resolveVersionPlace(const Unit& unit);
std::uint32_t versionCell(VersionPlace place);
// The version word the flash holds; 0xFFFF when those cells are erased.
std::uint16_t flashedVersion(const Unit& unit);
// Whether the tool writes this unit from a Motorola S-record file (by product and kind of unit).
bool usesSRecordFile(const Unit& unit);

} // namespace sim
