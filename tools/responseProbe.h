#pragma once
// The response-time probe of the Extend Timeout dialog and of "nexalo-cli probe".

#include "link/transaction.h"

#include <cstdint>
#include <string>

struct ProbeOutcome {
    bool portOpened = false;
    int attempts = 0;            // probes sent
    int successes = 0;           // probes answered with a status reply
    std::uint32_t averageMs = 0; // over the answered probes, fraction dropped
    std::string label;           // "137 msec", or "0 msec" when none answered
};

// Opens the port (error box when it does not open), sends up to five "01" probes to address
// (CCTT) with a 5000 ms time-out and 200 ms between them, stopping after two failures at the
// start, and closes the port.
ProbeOutcome probeResponseTime(Transaction& link, const std::string& address);
