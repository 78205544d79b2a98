#include "linkSession.h"

#include <chrono>
#include <exception>

LinkSession::LinkSession(Console& console, Clock& clock, std::unique_ptr<SerialBackend> backend)
    : console_(console), clock_(clock), port_(clock, std::move(backend)),
      link_(port_, clock, console) {}

LinkSession::~LinkSession() {
    control_.requestStop();
    joinWorker();
}

namespace {
constexpr char kBusBusy[] = "another operation holds the bus";
} // namespace

Outcome LinkSession::run(const Operation& operation, RunLog log) {
    if (!control_.begin()) return Outcome::refused(kBusBusy);
    const Outcome ran = perform(operation, log);
    control_.end();
    return ran;
}

bool LinkSession::start(Operation operation, RunLog log, Finished finished) {
    if (!control_.begin()) return false;
    joinWorker(); // the last operation has ended; its thread may still be winding down
    {
        std::lock_guard lock(mutex_);
        working_ = true;
    }
    worker_ =
        std::thread([this, operation = std::move(operation), log, finished = std::move(finished)] {
            const Outcome ran = perform(operation, log);
            control_.end();
            if (finished) finished(ran);
            std::lock_guard lock(mutex_);
            working_ = false;
            ended_.notify_all();
        });
    return true;
}

bool LinkSession::waitFor(std::uint32_t ms) {
    std::unique_lock lock(mutex_);
    return ended_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return !working_; });
}

void LinkSession::wait() {
    std::unique_lock lock(mutex_);
    ended_.wait(lock, [this] { return !working_; });
}

void LinkSession::joinWorker() {
    if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id()) worker_.join();
}

// Whatever ends the operation, nothing it threw leaves the worker, and the port is not left held.
Outcome LinkSession::perform(const Operation& operation, RunLog log) {
    link_.beginRun(log); // the outcomes of this run's exchanges only
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
