#pragma once
// The engine's procedures against the simulated network: over a real pseudo-terminal on the
// real clock, or on the in-memory line in virtual time where time-outs dominate.

#include "link/operationContext.h"
#include "tests/support/simBus.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace diagtest {

using testkit::networkFrom;

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
#ifndef _WIN32 // the pseudo-terminal bus is Linux's
class OnPty : public ::testing::Test {
protected:
    void startNetwork(const std::string& json) {
        bus = std::make_unique<testkit::PtyBus>(console, networkFrom(json));
        ASSERT_TRUE(bus->serving()) << bus->simulator.error();
    }
    OperationContext context() { return bus->context(); }
    // The serving thread may still be taking in the last frame sent without waiting.
    std::vector<SentFrame> frames(std::size_t atLeast = 0) {
        std::vector<SentFrame> seen = framesOf(bus->simulator.snapshot());
        for (int wait = 0; seen.size() < atLeast && wait < kSettleTries; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            seen = framesOf(bus->simulator.snapshot());
        }
        return seen;
    }
    static constexpr int kSettleTries = 300;
    sim::Unit unit(const std::string& name) {
        return bus->simulator.unit(name).value_or(sim::Unit{});
    }
    TSerialPort& port() { return bus->port; }
    Transaction& link() { return bus->link; }
    RunControl& control() { return bus->control; }

    RecordingConsole console;
    std::unique_ptr<testkit::PtyBus> bus;
};
#endif

// In virtual time: the simulator behind the port's in-memory backend.
class InVirtualTime : public ::testing::Test {
protected:
    void startNetwork(const std::string& json) {
        bus = std::make_unique<testkit::VirtualBus>(console, networkFrom(json));
    }
    OperationContext context() { return bus->context(); }
    std::vector<SentFrame> frames() { return framesOf(bus->network.network()); }
    const sim::Unit& unit(const std::string& name) { return *bus->network.unit(name); }
    TSerialPort& port() { return bus->port; }
    Transaction& link() { return bus->link; }
    RunControl& control() { return bus->control; }
    VirtualClock& clock() { return bus->clock; }

    RecordingConsole console;
    std::unique_ptr<testkit::VirtualBus> bus;
};

} // namespace diagtest
