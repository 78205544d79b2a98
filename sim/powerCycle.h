#pragma once
// A unit or a remote that loses its power once (PowerLoss) and later gets it back.
//
// When the power returns, the boot loader decides what runs. It keeps the unit when an
// upgrade was under way as the power went: the unit had entered upgrade mode (the boot loader
// was already in charge, the tool had asked for new firmware), or its application was no
// longer whole (a sector erased, pages written since). Otherwise the application starts, as
// after any restart. Nothing held in RAM survives: identification, a failed LA change and the
// result of the last flash operation are forgotten.

#include "sim/unitModel.h"

#include <cstdint>
#include <span>
#include <vector>

namespace sim {

// Cuts the power of every unit whose loss counts frames once the line has carried more than
// that many; frameCount is the number of well-formed frames so far, this one included.
void cutPowerAtFrame(Network& network, std::size_t frameCount, std::uint64_t nowMs);

// Whether the unit hears a request arriving now: false while it has no power, and for the
// request at which a loss counted in requests fires. Brings the power back when due.
bool unitHears(Unit& unit, std::uint64_t nowMs);

// The remote's answer to a request relayed by its unit; nothing while it has no power.
std::vector<std::uint8_t> relayToRemote(RemoteUnit& remote, std::span<const std::uint8_t> request,
                                        std::uint64_t nowMs);

} // namespace sim
