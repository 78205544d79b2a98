#pragma once
// Two or more units that answer one request at once: what their replies make of the line.

#include "sim/faults.h"
#include "sim/faultyReply.h"

#include <vector>

namespace sim {

// The replies in the order of the units (the first is the nearest). Garbled: they go out at
// the same time and the line carries, bit by bit, what the drivers together pull it to (a
// space wins over a mark), so replies that differ anywhere arrive as one damaged frame.
// NearerFirst: the nearer reply arrives whole and the others after it, as they are.
std::vector<OutgoingReply> collide(std::vector<OutgoingReply> replies, Collision how);

} // namespace sim
