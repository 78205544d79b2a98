#pragma once
// The survey run against the simulated network: in virtual time (time-outs cost nothing) or
// over a real pseudo-terminal on the real clock.

#include "link/operationContext.h"
#include "sim/networkFile.h"
#include "sim/ptySimulator.h"
#include "sim/virtualLineBackend.h"
#include "tests/support/recordingConsole.h"
#include "tools/networkSurvey.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace surveytest {

inline sim::Network networkFrom(const std::string& json) {
    sim::NetworkLoad load = sim::parseNetwork(json);
    EXPECT_TRUE(load.network) << load.error;
    return load.network.value_or(sim::Network{});
}

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
    explicit VirtualSurvey(const std::string& json) : network(networkFrom(json)) {
        auto backend = std::make_unique<sim::VirtualLineBackend>(clock, network);
        port = std::make_unique<TSerialPort>(clock, std::move(backend));
        configureForTool(*port);
        port->setDevicePath("virtual");
        link = std::make_unique<Transaction>(*port, clock, console);
    }

    SurveyOutcome run() {
        OperationContext context{*link, console, clock, signal};
        return btnPingClick(context, *table);
    }
    const std::vector<std::string>& lines() const { return console.reportLines; }

    VirtualClock clock;
    sim::NetworkSimulator network;
    RecordingConsole console;
    StopSignal signal;
    std::unique_ptr<TSerialPort> port;
    std::unique_ptr<Transaction> link;
    std::unique_ptr<SurveyTable> table = std::make_unique<SurveyTable>();
};

class WireSurvey {
public:
    explicit WireSurvey(const std::string& json, sim::PtyOptions options = {})
        : simulator(networkFrom(json), options) {
        std::optional<std::string> device = simulator.start();
        EXPECT_TRUE(device) << simulator.error();
        configureForTool(port);
        port.setDevicePath(device.value_or(""));
    }

    SurveyOutcome run() {
        OperationContext context{link, console, systemClock(), signal};
        return btnPingClick(context, *table);
    }
    const std::vector<std::string>& lines() const { return console.reportLines; }

    sim::PtySimulator simulator;
    RecordingConsole console;
    StopSignal signal;
    TSerialPort port{systemClock()};
    Transaction link{port, systemClock(), console};
    std::unique_ptr<SurveyTable> table = std::make_unique<SurveyTable>();
};

} // namespace surveytest
