#pragma once
// The engine's procedures against the simulated network: over a real pseudo-terminal on the
// real clock, or on the in-memory line in virtual time where time-outs dominate.

#include "link/operationContext.h"
#include "sim/networkFile.h"
#include "sim/ptySimulator.h"
#include "sim/virtualLineBackend.h"
#include "tests/support/recordingConsole.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace diagtest {

inline sim::Network networkFrom(const std::string& json) {
    sim::NetworkLoad load = sim::parseNetwork(json);
    EXPECT_TRUE(load.network) << load.error;
    return load.network.value_or(sim::Network{});
}

struct SentFrame {
    std::string address;
    std::string command;
    bool operator==(const SentFrame&) const = default;
};

inline std::vector<SentFrame> framesOf(const sim::Network& network) {
    std::vector<SentFrame> frames;
    for (const sim::ReceivedFrame& f : network.frames)
        frames.push_back({f.address, f.command});
    return frames;
}

inline void PrintTo(const SentFrame& f, std::ostream* out) {
    *out << f.address << ":" << f.command;
}

// Over a pseudo-terminal: the wire path as a user has it.
class OnPty : public ::testing::Test {
protected:
    void startNetwork(const std::string& json) {
        simulator = std::make_unique<sim::PtySimulator>(networkFrom(json));
        const std::optional<std::string> device = simulator->start();
        ASSERT_TRUE(device) << simulator->error();
        configureForTool(port);
        port.setDevicePath(*device);
    }
    OperationContext context() { return {link, console, systemClock(), signal}; }
    // The serving thread may still be taking in the last frame sent without waiting.
    std::vector<SentFrame> frames(std::size_t atLeast = 0) {
        std::vector<SentFrame> seen = framesOf(simulator->snapshot());
        for (int wait = 0; seen.size() < atLeast && wait < kSettleTries; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            seen = framesOf(simulator->snapshot());
        }
        return seen;
    }
    static constexpr int kSettleTries = 300;
    sim::Unit unit(const std::string& name) { return simulator->unit(name).value_or(sim::Unit{}); }

    std::unique_ptr<sim::PtySimulator> simulator;
    TSerialPort port;
    RecordingConsole console;
    StopSignal signal;
    Transaction link{port, systemClock(), console};
};

// In virtual time: the simulator behind the port's in-memory backend.
class InVirtualTime : public ::testing::Test {
protected:
    void startNetwork(const std::string& json) {
        network = std::make_unique<sim::NetworkSimulator>(networkFrom(json));
        port = std::make_unique<TSerialPort>(
            clock, std::make_unique<sim::VirtualLineBackend>(clock, *network));
        configureForTool(*port);
        port->setDevicePath("virtual");
        link = std::make_unique<Transaction>(*port, clock, console);
    }
    OperationContext context() { return {*link, console, clock, signal}; }
    std::vector<SentFrame> frames() { return framesOf(network->network()); }
    const sim::Unit& unit(const std::string& name) { return *network->unit(name); }

    VirtualClock clock;
    std::unique_ptr<sim::NetworkSimulator> network;
    std::unique_ptr<TSerialPort> port;
    RecordingConsole console;
    StopSignal signal;
    std::unique_ptr<Transaction> link;
};

} // namespace diagtest
