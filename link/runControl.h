#pragma once
// The state of the run on one bus, and the operator's Stop and Skip of it. The faces read their
// captions, their enabling and "busy" from here; the procedures test Stop and Skip only at their
// own checkpoints. Stop and Skip may come from any thread (a click, Ctrl-C, closing the window).

#include <atomic>
#include <functional>
#include <mutex>

enum class RunPhase {
    Idle,        // no operation holds the bus
    Discovering, // an upgrade run searches for units: the operator's button skips the search
    Working,     // an operation works on the units: the operator's button stops it
    Stopping     // Stop was asked: the run ends at its next checkpoint
};

const char* phaseName(RunPhase phase);

class RunControl {
public:
    using Observer = std::function<void(RunPhase)>;

    // A run starts from idle only: false while another one holds the bus.
    bool begin();
    // The run has ended: idle again, its Stop and Skip forgotten.
    void end();
    // An upgrade run searches for units (true) or has done so (false). A Stop outranks both.
    void setDiscovering(bool discovering);

    // Ignored while idle, so that a late click cannot stop the next run.
    void requestStop();
    // Acts only while discovering: the rest of the search is passed over, the run goes on.
    void requestSkip();

    bool stopRequested() const { return stop_.load(); }
    bool skipRequested() const { return skip_.load(); }
    RunPhase phase() const;
    bool busy() const { return phase() != RunPhase::Idle; }

    // Told of every change of phase, on the thread that made it.
    void setObserver(Observer observer);

private:
    void moveTo(RunPhase phase, std::unique_lock<std::mutex>& lock);

    mutable std::mutex mutex_;
    RunPhase phase_ = RunPhase::Idle;
    std::atomic<bool> stop_{false};
    std::atomic<bool> skip_{false};
    Observer observer_;
};
