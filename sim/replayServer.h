#pragma once
// The replay as a served line answers it: the script's replies, and its first divergence said
// on standard error and written to a file, the moment it happens.

#include "sim/replayScript.h"
#include "sim/servedLine.h"

#include <atomic>
#include <string>

namespace sim {

class ReplayServer {
public:
    // divergenceFile: where the first divergence is written too; empty: nowhere.
    ReplayServer(const capture::Capture& recording, bool fast, std::string divergenceFile);
    // Answers the served line's frames; it lives as long as this server.
    FrameHandler handler();
    // "replayed 57 of 57 recorded requests" and what was normalised or diverged.
    std::string summary() const;
    // Read by the serving thread's handler only while it holds still (the simulator's inspect),
    // or once the serving has ended.
    const ReplayScript& script() const { return script_; }
    // Whether it has diverged: for any thread, at any time.
    bool diverged() const { return diverged_; }

private:
    void tellDivergence();

    ReplayScript script_;
    std::string divergenceFile_;
    bool told_ = false;
    std::atomic<bool> diverged_{false};
};

} // namespace sim
