#pragma once
// Turns a unit's reply into the bytes that reach the line, with the faults of the unit and
// of the line drawn from the network's seeded generator.

#include "sim/faults.h"

#include <cstdint>
#include <optional>
#include <random>
#include <string>

namespace sim {

struct OutgoingReply {
    std::string bytes;         // one or more frames, with any noise in front
    std::uint32_t delayMs = 0; // after the end of the request (or of the previous reply)
};

class FaultDice {
public:
    explicit FaultDice(std::uint64_t seed) : engine_(seed) {}
    // True with the given probability.
    bool roll(double share);
    std::uint32_t below(std::uint32_t bound);

private:
    std::mt19937_64 engine_;
};

struct ReplyParts {
    std::string unitAddress;
    std::string sequence;
    std::string data;
};

std::optional<OutgoingReply> faultyReply(const ReplyParts& parts, const ReplyFaults& unit,
                                         const ReplyFaults& line, std::uint32_t baseDelayMs,
                                         FaultDice& dice);

} // namespace sim
