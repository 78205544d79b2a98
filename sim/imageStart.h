#pragma once
// What a unit runs when a restart finds a new image in its flash, with the lies of the field:
// a write that verified and did not take (the old application goes on), an image that reports
// another version than its file's, an image that starts and gives up, so that the unit restarts
// into its boot loader after it has confirmed its upgrade.

#include "sim/unitModel.h"

#include <cstdint>

namespace sim {

// The restart found this version word in a flash written since the last one.
void startNewImage(Unit& unit, std::uint16_t written, std::uint64_t nowMs);

// A started image that has given up by now leaves the unit in its boot loader.
void fallWhenDue(Unit& unit, std::uint64_t nowMs);

// A write into an erased sector: the boot loader tries the next image afresh.
void forgetRejectedImage(Unit& unit);

// In its boot loader, or will be by itself: without power while an upgrade was under way, or
// running an image that will give up.
bool willBeInBootLoader(const Unit& unit);

} // namespace sim
