#pragma once
// Fixed pauses of the procedures: the face stays painted, but nothing is cut short.

#include "clock.h"
#include "console.h"

#include <cstdint>

// Sleeps ms on the clock in slices of at most kPauseSliceMs, pumping the face between them.
void pausePumping(Clock& clock, Console& console, std::uint32_t ms);

constexpr std::uint32_t kPauseSliceMs = 10;
