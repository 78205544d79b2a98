#pragma once
// The one rig of the tests and benchmarks: a session on a simulated bus, either in virtual time
// through the simulator's in-memory line (a 20-second time-out passes at once) or over a real
// pseudo-terminal that the simulator serves on the real clock. The session's wait hook is wired
// to the console, and the run control is in a run, so that a test can drive the procedures
// directly and still Stop or Skip them.

#include "link/linkSession.h"
#include "sim/networkFile.h"
#include "sim/networkSimulator.h"
#include "sim/ptySimulator.h"
#include "tests/support/recordingConsole.h"
#include "trust/folderTrust.h"

#include <optional>
#include <string>

namespace testkit {

// The network of a JSON document; a document that does not read fails the test.
sim::Network networkFrom(const std::string& json);

class VirtualBus {
public:
    VirtualBus(RecordingConsole& console, sim::Network network);
    // Opens the port as an operation does and suspends its background polling.
    void openPort();
    // The context of a run that starts now: the working folder's trust read as a face reads it
    // at the start of a run, against the session's trusted key.
    OperationContext context() {
        trust = ReadFirmwareTrust(session.trustSettings());
        return session.context(trust);
    }

    VirtualClock clock;
    sim::NetworkSimulator network;
    LinkSession session;
    FirmwareTrust trust = FirmwareTrust::unread(); // of the last context()
    TSerialPort& port;
    Transaction& link;
    RunControl& control;
};

// Over a pseudo-terminal: Linux only (a Windows build declares it for the fixtures that hold
// one, but never makes one).
class PtyBus {
public:
    PtyBus(RecordingConsole& console, sim::Network network, sim::PtyOptions options = {});
    // Opens the port as an operation does and suspends its background polling; false (with a
    // test failure) when the simulator did not start or the port did not open.
    bool openPort();
    // The context of a run that starts now: the working folder's trust read as a face reads it
    // at the start of a run, against the session's trusted key.
    OperationContext context() {
        trust = ReadFirmwareTrust(session.trustSettings());
        return session.context(trust);
    }
    // Whether the simulator serves, with the reason in simulator.error() when not.
    bool serving() const { return device.has_value(); }

    sim::PtySimulator simulator;
    std::optional<std::string> device;
    LinkSession session;
    FirmwareTrust trust = FirmwareTrust::unread(); // of the last context()
    TSerialPort& port;
    Transaction& link;
    RunControl& control;
};

} // namespace testkit
