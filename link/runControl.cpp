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
    stop_ = false;
    skip_ = false;
    moveTo(RunPhase::Working, lock);
    return true;
}

void RunControl::end() {
    std::unique_lock lock(mutex_);
    stop_ = false;
    skip_ = false;
    moveTo(RunPhase::Idle, lock);
}

void RunControl::setDiscovering(bool discovering) {
    std::unique_lock lock(mutex_);
    if (phase_ == RunPhase::Idle || phase_ == RunPhase::Stopping) return;
    skip_ = false;
    moveTo(discovering ? RunPhase::Discovering : RunPhase::Working, lock);
}

void RunControl::requestStop() {
    std::unique_lock lock(mutex_);
    if (phase_ == RunPhase::Idle || phase_ == RunPhase::Stopping) return;
    stop_ = true;
    moveTo(RunPhase::Stopping, lock);
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
