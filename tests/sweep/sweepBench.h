#pragma once
// Upgrade runs one after another against one simulated network in virtual time, each run as
// the command-line tool makes it: the port opened for the run and closed after it, a fresh
// image and found-units table, and the result the tool turns into its exit status.

#include "link/linkSession.h"
#include "link/operation.h"
#include "sim/networkSimulator.h"
#include "sim/ptySimulator.h"
#include "sim/virtualLineBackend.h"
#include "tests/support/folderTrust.h"
#include "tests/support/recordingConsole.h"
#include "upgrade/dispatcher.h"
#include "upgrade/typeChoice.h"

#include <algorithm>
#include <chrono>
#include <memory>

namespace sweep {

// How one run ended.
struct RunEnd {
    bool done = false;       // what the tool reports as exit status 0
    bool overran = false;    // still running when its virtual time was up: stopped
    bool portClosed = false; // the port was closed again after the run
    std::uint64_t virtualMs = 0;
    double realSeconds = 0;
    std::vector<std::string> lines; // the status log of the run
    bool said(const std::string& line) const {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
};

// The settings the tool takes from its options: the unit type, the upgrade type and the LA
// boxes that the choice leaves open.
inline UpgradeSettings settingsFor(UnitType unitType, UpgradeType upgradeType,
                                   const std::string& controller, const std::string& terminal) {
    const TypeChoice choice = ChooseUnitAndUpgradeType(unitType, upgradeType);
    UpgradeSettings settings;
    settings.unitType = unitType;
    settings.upgradeType = choice.upgradeType;
    settings.controllerLA = choice.controllerLA.enabled ? controller : choice.controllerLA.text;
    settings.terminalLA = choice.terminalLA.enabled ? terminal : choice.terminalLA.text;
    return settings;
}

// The tool's side of the line: a session of its own and the face, each run as the tool runs it.
class Bench {
public:
    // A run longer than this would never end for an operator: it is stopped at its next
    // checkpoint and counted as overrun.
    static constexpr std::uint64_t kRunLimitMs = 15 * 60 * 1000;

    virtual ~Bench() = default;

    RunEnd upgrade(const UpgradeSettings& settings, UnitType unitType, UpgradeType upgradeType) {
        RunEnd end;
        Clock& clock = session_.clock();
        const std::uint64_t startedMs = clock.nowMs();
        const auto startedReal = std::chrono::steady_clock::now();
        console_.onWait = [&] {
            if (clock.nowMs() - startedMs <= kRunLimitMs) return;
            end.overran = true;
            session_.control().requestStop();
        };
        FirmwareImage image;
        FoundUnits units;
        session_.run([&](OperationContext& given) {
            TrustedContext trusted(given);
            OperationContext& context = trusted.context;
            PortSession port(context.link);
            if (!port.opened()) return;
            UpgradeRun run{context, settings, ChooseUnitAndUpgradeType(unitType, upgradeType).scope,
                           image, units};
            end.done = RunUpgrade(run).succeeded();
        });
        console_.onWait = nullptr;
        end.portClosed = !session_.port().IsOpen();
        end.virtualMs = clock.nowMs() - startedMs;
        end.realSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - startedReal).count();
        end.lines = console_.statusLines;
        return end;
    }

    // The operator's extra attempts for requests that are safe to repeat.
    void setExtraAttempts(int count) { session_.link().setExtraAttempts(count); }
    // The operator reads the log before trying again.
    void wait(std::uint32_t ms) { session_.clock().sleepMs(ms); }
    // A copy of the simulated unit as it stands now.
    virtual sim::Unit unitNow(const std::string& name) = 0;

protected:
    Bench(Clock& clock, std::unique_ptr<SerialBackend> backend, const std::string& device)
        : session_(console_, clock, std::move(backend)) {
        configureForTool(session_.port());
        session_.port().setDevicePath(device);
        session_.link().setWaitHook([this] { console_.waited(); });
    }

private:
    RecordingConsole console_;
    LinkSession session_;
};

// The network behind a real pseudo-terminal, on the real clock.
class PtyBench : public Bench {
public:
    PtyBench(sim::PtySimulator& simulator, const std::string& device)
        : Bench(systemClock(), {}, device), simulator_(simulator) {}
    sim::Unit unitNow(const std::string& name) override { return simulator_.unit(name).value(); }

private:
    sim::PtySimulator& simulator_;
};

// The network on the virtual clock: time-outs and pauses cost no real time.
class VirtualBench : public Bench {
public:
    explicit VirtualBench(sim::Network network) : VirtualBench(std::make_unique<Parts>(network)) {}

    sim::Network& network() { return parts_->network.network(); }
    sim::Unit& unit(const std::string& name) { return *parts_->network.unit(name); }
    sim::Unit unitNow(const std::string& name) override { return unit(name); }

private:
    struct Parts {
        explicit Parts(sim::Network n) : network(std::move(n)) {}
        VirtualClock clock;
        sim::NetworkSimulator network;
    };
    explicit VirtualBench(std::unique_ptr<Parts> parts)
        : Bench(parts->clock,
                std::make_unique<sim::VirtualLineBackend>(parts->clock, parts->network), "virtual"),
          parts_(std::move(parts)) {}

    std::unique_ptr<Parts> parts_;
};

} // namespace sweep
