#pragma once
// The simulated network behind a real pseudo-terminal, served by a thread of its own on the
// real clock: the wire path exactly as the tool meets it.

#include "sim/networkSimulator.h"
#include "sim/servedLine.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace sim {

class PtySimulator {
public:
    explicit PtySimulator(Network network, PtyOptions options = {});
    ~PtySimulator();
    PtySimulator(const PtySimulator&) = delete;
    PtySimulator& operator=(const PtySimulator&) = delete;

    // Opens the pseudo-terminal in raw mode, points linkPath (if given) at it and starts
    // serving. The device path, or nothing with the reason in error().
    std::optional<std::string> start(const std::string& linkPath = {});
    // Stops serving, closes the device and removes the link it made.
    void stop();
    const std::string& error() const { return error_; }
    // Frames are answered by handler instead of the network from the next one on.
    void setFrameHandler(FrameHandler handler) {
        std::lock_guard<std::mutex> lock(mutex_);
        handler_ = std::move(handler);
    }

    // The adapter pulled out: the device goes away under the tool, whose reads and writes fail
    // from then on. The link stays, pointing at nothing, as an operator's link would.
    void unplug();
    // The same, done by the serving thread as the count-th request from now comes in, before
    // it is answered: a cut at an exact point of a run.
    void unplugAtRequest(std::size_t count) { unplugCountdown_ = count; }
    bool unplugged() const { return unplugged_; }
    // Plugged in again: a new device behind the same link, the network as the cut left it.
    std::optional<std::string> replug();
    const std::string& devicePath() const { return devicePath_; }

    // Runs f on the network while the serving thread holds still.
    template <typename F> auto inspect(F&& f) {
        std::lock_guard<std::mutex> lock(mutex_);
        return f(simulator_);
    }
    // A copy of the unit called name as it stands now.
    std::optional<Unit> unit(const std::string& name);
    Network snapshot();

private:
    bool openDevice();
    void closeDevice();
    bool unplugDue();
    bool makeLink(const std::string& linkPath);
    void serve();
    void receive(std::uint64_t nowUs);
    void sendDue(std::uint64_t nowUs);
    std::uint64_t nowUs() const;

    NetworkSimulator simulator_;
    FrameHandler handler_;
    std::mutex mutex_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> unplugged_{false};
    std::atomic<std::size_t> unplugCountdown_{0};
    int master_ = -1;
    int slave_ = -1;
    std::string devicePath_, linkPath_, error_;
    ServedLine line_;
    std::uint64_t startUs_ = 0;
};

} // namespace sim
