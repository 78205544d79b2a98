#pragma once
// The state of the run on one bus, and the operator's Stop and Skip of it. The faces read their
// captions, their enabling and "busy" from here; the procedures test Stop and Skip only at their
// own checkpoints. Stop and Skip may come from any thread (a click, Ctrl-C, closing the window).

#include <atomic>
#include <functional>
#include <mutex>
#include <string>

enum class RunPhase {
    Idle,        // no operation holds the bus
    Discovering, // an upgrade run searches for units: the operator's button skips the search
    Working,     // an operation works on the units: the operator's button stops it
    Stopping     // Stop was asked: the run ends at its next checkpoint
};

const char* phaseName(RunPhase phase);

// How far the operator's Stop reaches. A run that writes units may let them finish first: it
// starts nothing new, and ends once they are reset and running. Otherwise, or asked again, the
// run ends at its next checkpoint, whatever a unit is in the middle of.
enum class StopLevel { None, AfterUnitsInHand, AtCheckpoint };

class RunControl {
public:
    using Observer = std::function<void(RunPhase)>;

    // A run starts from idle only: false while another one holds the bus.
    bool begin();
    // The run has ended: idle again, its Stop, Skip and offer forgotten.
    void end();
    // An upgrade run searches for units (true) or has done so (false). A Stop outranks both.
    void setDiscovering(bool discovering);

    // The operator's Stop: the first, while the run offers to finish its units, lets them
    // finish; any other ends the run at its next checkpoint. Ignored while idle, so that a late
    // click cannot stop the next run. The level asked from now on.
    StopLevel requestStop();
    // Ends the run at its next checkpoint whatever was offered or asked before.
    void requestStopNow();
    // Acts only while discovering: the rest of the search is passed over, the run goes on.
    void requestSkip();

    // While units are written that can be finished before the run stops: the units ("0101,
    // 0102") and what the operator is told a first Stop does ("Stopping after 0102 (about 40
    // s); ..."). Empty withdraws it.
    void offerFinish(std::string units, std::string note);
    // The offer standing now; empty when none.
    std::string finishNote() const;
    // The units of the offer standing now, or of the one a Stop took; empty when none.
    std::string unitsInHand() const;

    // The run ends at its next checkpoint.
    bool stopRequested() const { return level_.load() == StopLevel::AtCheckpoint; }
    // The run starts nothing new: a Stop of either level was asked.
    bool finishRequested() const { return level_.load() != StopLevel::None; }
    StopLevel stopLevel() const { return level_.load(); }
    bool skipRequested() const { return skip_.load(); }
    RunPhase phase() const;
    bool busy() const { return phase() != RunPhase::Idle; }

    // Told of every change of phase, on the thread that made it.
    void setObserver(Observer observer);

private:
    void moveTo(RunPhase phase, std::unique_lock<std::mutex>& lock);

    mutable std::mutex mutex_;
    RunPhase phase_ = RunPhase::Idle;
    std::atomic<StopLevel> level_{StopLevel::None};
    std::atomic<bool> skip_{false};
    std::string finishUnits_;
    std::string finishNote_;
    Observer observer_;
};
