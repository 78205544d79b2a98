#pragma once
// The window's operations run on its session's worker and a click returns at once: these wait
// for a run's end on the window's thread (which keeps handling events meanwhile), hold the bus
// with an operation the test releases, and serve the simulated network to the window's port.

#include "fwUpgrade.h"
#include "sim/networkFile.h"
#include "sim/ptySimulator.h"
#include "tests/support/namedControl.h"

#include <QAbstractButton>
#include <QSignalSpy>
#include <QStringList>
#include <QtTest>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>

// Long enough for the slowest window run of the tests; a run that takes longer has hung.
constexpr int kRunEndMs = 60000;

// Waits until the window's operation has ended and every line it wrote is shown; at once when
// none runs. False when it did not end in time.
[[nodiscard]] inline bool runEnds(TForm1& form, int timeoutMs = kRunEndMs) {
    if (!form.running()) return true;
    QSignalSpy ended(&form.bus(), &BusController::operationEnded);
    return ended.wait(timeoutMs);
}

// Clicks button as the operator does and waits for the operation it started, if any.
[[nodiscard]] inline bool clickAndWait(TForm1& form, QAbstractButton* button,
                                       int timeoutMs = kRunEndMs) {
    QTest::mouseClick(button, Qt::LeftButton);
    return runEnds(form, timeoutMs);
}

// An operation that holds the bus until the test releases it or the run is stopped, so that
// the test sees the window while one runs.
class HeldOperation {
public:
    explicit HeldOperation(TForm1& form) : form_(form) {}
    // A test that failed half way still must not leave the worker with this object gone.
    ~HeldOperation() {
        release();
        form_.bus().session().wait();
    }

    // kind: the operation whose button it stands for, that being its Stop.
    bool start(BusOperation kind = BusOperation::Other) {
        return form_.bus().run(kind, [this](OperationContext&) {
            std::unique_lock lock(mutex_);
            while (!released_ && !form_.bus().session().control().stopRequested())
                released_cv_.wait_for(lock, std::chrono::milliseconds(5));
            sawStop = !released_;
            return Outcome::completed();
        });
    }
    void release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        released_cv_.notify_all();
    }
    bool sawStop = false; // it ended because Stop came, not because it was released

private:
    TForm1& form_;
    std::mutex mutex_;
    std::condition_variable released_cv_;
    bool released_ = false;
};

// The smallest bus a terminal upgrade runs on: controller 01 with one keypad behind it, at
// 0101 and running 1.02.
inline constexpr const char* kOneTerminalNetwork = R"({ "seed": 5, "controllers": [
  { "name": "c1", "la": "01", "fixedAddress": "10000001", "productId": 5, "version": "2.01",
    "terminals": [
      { "name": "t1", "la": "01", "fixedAddress": "20000101", "productId": 3, "version": "1.02" }
    ] } ] })";

// The simulated network served on a pseudo-terminal that the window's port opens (through
// linkPath, a COMn link in the working folder, when given). Programs that use it link the
// simulator.
struct SimulatedBus {
    sim::PtySimulator simulator;
    bool ready = false;

    SimulatedBus(TForm1& form, const char* json, const std::string& linkPath = {})
        : simulator(networkOf(json)) {
        const auto device = simulator.start(linkPath);
        if (!device) return;
        if (linkPath.empty()) form.bus().port().setDevicePath(*device);
        ready = true;
    }
    // Every request that reached the bus, as "address:command".
    QStringList frames() {
        QStringList out;
        for (const sim::ReceivedFrame& f : simulator.snapshot().frames)
            out << QString::fromStdString(f.address + ":" + f.command);
        return out;
    }
    sim::Unit unit(const char* name) { return simulator.unit(name).value_or(sim::Unit{}); }

    static sim::Network networkOf(const char* json) {
        sim::NetworkLoad load = sim::parseNetwork(json);
        if (!load.network) qFatal("network: %s", load.error.c_str());
        return *load.network;
    }
};
