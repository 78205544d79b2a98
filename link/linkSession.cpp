#include "linkSession.h"

#include <chrono>
#include <exception>

LinkSession::LinkSession(Console& console, Clock& clock, std::unique_ptr<SerialBackend> backend)
    : console_(console), clock_(clock), port_(clock, std::move(backend)),
      link_(port_, clock, console) {}

LinkSession::~LinkSession() {
    control_.requestStopNow();
    if (onWorker()) {
        worker_.detach();
        return;
    }
    joinWorker();
}

namespace {
constexpr char kBusBusy[] = "another operation holds the bus";
// The session whose worker this thread is; none on any other thread.
thread_local const LinkSession* workerOf = nullptr;
} // namespace

Outcome LinkSession::run(const Operation& operation, RunLog log) {
    if (!control_.begin()) return Outcome::refused(kBusBusy);
    const Outcome ran = perform(operation, log);
    control_.end();
    return ran;
}

bool LinkSession::start(Operation operation, RunLog log, Finished finished) {
    if (onWorker()) return false;
    if (!control_.begin()) return false;
    joinWorker(); // the last operation has ended; its thread may still be winding down
    // Held until the thread object is stored: the worker may end, and its Finished callback
    // destroy the session, only once start has let go of it.
    std::lock_guard launching(state_->mutex);
    state_->working = true;
    worker_ = std::thread([this, state = state_, operation = std::move(operation), log,
                           finished = std::move(finished)] {
        { std::lock_guard launched(state->mutex); }
        workerOf = this;
        const Outcome ran = perform(operation, log);
        control_.end();
        if (finished) finished(ran);
        std::lock_guard lock(state->mutex);
        state->working = false;
        state->ended.notify_all();
    });
    return true;
}

bool LinkSession::waitFor(std::uint32_t ms) {
    std::unique_lock lock(state_->mutex);
    return state_->ended.wait_for(lock, std::chrono::milliseconds(ms),
                                  [this] { return !state_->working; });
}

void LinkSession::wait() {
    std::unique_lock lock(state_->mutex);
    state_->ended.wait(lock, [this] { return !state_->working; });
}

bool LinkSession::onWorker() const {
    return workerOf == this;
}

void LinkSession::joinWorker() {
    if (worker_.joinable() && !onWorker()) worker_.join();
}

// Whatever ends the operation, nothing it threw leaves the worker, and the port is not left held.
Outcome LinkSession::perform(const Operation& operation, RunLog log) {
    link_.beginRun(log); // the outcomes of this run's exchanges only
    units_.clear();      // and the units of this run only
    std::string error = "Unexpected error";
    try {
        OperationContext context = this->context();
        operation(context);
        return Outcome::completed();
    } catch (const std::exception& thrown) {
        error = thrown.what();
    } catch (...) {
    }
    port_.ClosePort();
    console_.message(MessageKind::Error, error);
    return Outcome::error(error);
}
