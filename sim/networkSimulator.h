#pragma once
// The simulated network behind the line: takes each request frame at the time it arrived
// and gives back the replies of the units it reached, in the order they go out on the line.
// It knows no time of its own and no transport; PtySimulator and VirtualLineBackend carry it.

#include "sim/faultyReply.h"
#include "sim/requestFrame.h"
#include "sim/unitModel.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace sim {

class NetworkSimulator {
public:
    explicit NetworkSimulator(Network network);

    std::vector<OutgoingReply> receiveFrame(std::string_view frame, std::uint64_t nowMs);

    Network& network() { return network_; }
    const Network& network() const { return network_; }
    // The unit called name; nullptr when there is none.
    Unit* unit(const std::string& name);
    const Unit* unit(const std::string& name) const;

private:
    bool isListening(Unit& unit, std::uint64_t nowMs);
    void record(const Request& request, bool broadcast, std::uint64_t nowMs);

    Network network_;
    FaultDice dice_;
};

} // namespace sim
