#include "runControl.h"

const char* phaseName(RunPhase phase) {
    switch (phase) {
    case RunPhase::Idle:
        return "idle";
    case RunPhase::Discovering:
        return "discovering";
    case RunPhase::Working:
        return "working";
    case RunPhase::Stopping:
        return "stopping";
    }
    return "unknown";
}

bool RunControl::begin() {
    std::unique_lock lock(mutex_);
    if (phase_ != RunPhase::Idle) return false;
    level_ = StopLevel::None;
    skip_ = false;
    finishUnits_.clear();
    finishNote_.clear();
    moveTo(RunPhase::Working, lock);
    return true;
}

void RunControl::end() {
    std::unique_lock lock(mutex_);
    level_ = StopLevel::None;
    skip_ = false;
    finishUnits_.clear();
    finishNote_.clear();
    moveTo(RunPhase::Idle, lock);
}

void RunControl::setDiscovering(bool discovering) {
    std::unique_lock lock(mutex_);
    if (phase_ == RunPhase::Idle || phase_ == RunPhase::Stopping) return;
    skip_ = false;
    moveTo(discovering ? RunPhase::Discovering : RunPhase::Working, lock);
}

StopLevel RunControl::requestStop() {
    std::unique_lock lock(mutex_);
    if (phase_ == RunPhase::Idle) return StopLevel::None;
    const bool finishFirst = level_ == StopLevel::None && !finishNote_.empty();
    level_ = finishFirst ? StopLevel::AfterUnitsInHand : StopLevel::AtCheckpoint;
    const StopLevel asked = level_;
    moveTo(RunPhase::Stopping, lock);
    return asked;
}

void RunControl::requestStopNow() {
    std::unique_lock lock(mutex_);
    if (phase_ == RunPhase::Idle) return;
    level_ = StopLevel::AtCheckpoint;
    moveTo(RunPhase::Stopping, lock);
}

void RunControl::offerFinish(std::string units, std::string note) {
    std::lock_guard lock(mutex_);
    finishUnits_ = std::move(units);
    finishNote_ = std::move(note);
}

std::string RunControl::unitsInHand() const {
    std::lock_guard lock(mutex_);
    return finishUnits_;
}

std::string RunControl::finishNote() const {
    std::lock_guard lock(mutex_);
    return finishNote_;
}

void RunControl::requestSkip() {
    std::lock_guard lock(mutex_);
    if (phase_ == RunPhase::Discovering) skip_ = true;
}

RunPhase RunControl::phase() const {
    std::lock_guard lock(mutex_);
    return phase_;
}

void RunControl::setObserver(Observer observer) {
    std::lock_guard lock(mutex_);
    observer_ = std::move(observer);
}

// The phase changes under the lock, so that no two changes cross; the observer is told after
// it is released, so that it may read the phase again (a face reads it when it repaints).
void RunControl::moveTo(RunPhase phase, std::unique_lock<std::mutex>& lock) {
    if (phase_ == phase) return;
    phase_ = phase;
    Observer observer = observer_;
    lock.unlock();
    if (observer) observer(phase);
}
