#include "simBus.h"

#include "sim/virtualLineBackend.h"

#include <gtest/gtest.h>

namespace testkit {

namespace {

// As every operation holds the line: the tool's settings, and the run begun.
void prepare(LinkSession& session, RecordingConsole& console) {
    configureForTool(session.port());
    session.link().setWaitHook([&console] { console.waited(); });
    session.control().begin();
}

} // namespace

sim::Network networkFrom(const std::string& json) {
    sim::NetworkLoad load = sim::parseNetwork(json);
    EXPECT_TRUE(load.network) << load.error;
    return load.network.value_or(sim::Network{});
}

VirtualBus::VirtualBus(RecordingConsole& console, sim::Network simulated)
    : network(std::move(simulated)),
      session(console, clock, std::make_unique<sim::VirtualLineBackend>(clock, network)),
      port(session.port()), link(session.link()), control(session.control()) {
    prepare(session, console);
    port.setDevicePath("virtual");
}

void VirtualBus::openPort() {
    EXPECT_TRUE(port.OpenPort());
    port.SuspendPolling();
}

#ifndef _WIN32
PtyBus::PtyBus(RecordingConsole& console, sim::Network simulated, sim::PtyOptions options)
    : simulator(std::move(simulated), options), device(simulator.start()),
      session(console, systemClock()), port(session.port()), link(session.link()),
      control(session.control()) {
    EXPECT_TRUE(device) << simulator.error();
    prepare(session, console);
    port.setDevicePath(device.value_or(""));
}

bool PtyBus::openPort() {
    if (!device) return false;
    const PortOpening opening = port.OpenPort();
    EXPECT_TRUE(opening) << opening.reason;
    port.SuspendPolling();
    return opening.opened;
}
#endif

} // namespace testkit
