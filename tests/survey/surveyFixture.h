#pragma once
// The survey run against the simulated network: in virtual time (time-outs cost nothing) or
// over a real pseudo-terminal on the real clock.

#include "link/operationContext.h"
#include "tests/support/simBus.h"
#include "tools/networkSurvey.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace surveytest {

using testkit::networkFrom;

inline long countLines(const std::vector<std::string>& lines, const std::string& line) {
    return std::count(lines.begin(), lines.end(), line);
}

inline bool hasLine(const std::vector<std::string>& lines, const std::string& line) {
    return countLines(lines, line) > 0;
}

// Frames the network received whose command starts with prefix.
inline long framesStartingWith(const sim::Network& network, const std::string& prefix) {
    return std::count_if(
        network.frames.begin(), network.frames.end(),
        [&](const sim::ReceivedFrame& f) { return f.command.rfind(prefix, 0) == 0; });
}

class VirtualSurvey {
public:
    explicit VirtualSurvey(const std::string& json) : bus(console, testkit::networkFrom(json)) {}

    SurveyOutcome run() {
        OperationContext context = bus.context();
        return surveyBus(context, *table);
    }
    const std::vector<std::string>& lines() const { return console.reportLines; }

    RecordingConsole console;
    testkit::VirtualBus bus;
    VirtualClock& clock = bus.clock;
    sim::NetworkSimulator& network = bus.network;
    TSerialPort& port = bus.port;
    Transaction& link = bus.link;
    std::unique_ptr<SurveyTable> table = std::make_unique<SurveyTable>();
};

#ifndef _WIN32 // the pseudo-terminal bus is Linux's
class WireSurvey {
public:
    explicit WireSurvey(const std::string& json, sim::PtyOptions options = {})
        : bus(console, testkit::networkFrom(json), options) {}

    SurveyOutcome run() {
        OperationContext context = bus.context();
        return surveyBus(context, *table);
    }
    const std::vector<std::string>& lines() const { return console.reportLines; }

    RecordingConsole console;
    testkit::PtyBus bus;
    sim::PtySimulator& simulator = bus.simulator;
    TSerialPort& port = bus.port;
    Transaction& link = bus.link;
    std::unique_ptr<SurveyTable> table = std::make_unique<SurveyTable>();
};
#endif

} // namespace surveytest
