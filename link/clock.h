#pragma once
// Millisecond time for the engine. The real clock is steady_clock; tests of long time-out
// paths run on a VirtualClock whose time only moves when something sleeps or waits.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint64_t nowMs() = 0;
    virtual void sleepMs(std::uint32_t ms) = 0;
    // Told as a wait for a reply starts, and while it has seen nothing for idleMs of its limitMs.
    virtual void replyAwaitStarted() {}
    virtual void replyAwaited(std::uint64_t /*idleMs*/, std::uint64_t /*limitMs*/) {}
};

class SteadyClock : public Clock {
public:
    std::uint64_t nowMs() override;
    void sleepMs(std::uint32_t ms) override;
};

class VirtualClock : public Clock {
public:
    std::uint64_t nowMs() override { return now_; }
    void sleepMs(std::uint32_t ms) override { now_ += ms; }
    void advanceTo(std::uint64_t t) {
        if (t > now_) now_ = t;
    }

private:
    std::uint64_t now_ = 0;
};

// The real clock with every sleep passed over at once and added to the time it tells: a run
// against a replay of a capture takes its fixed pauses in no time, and sees the time pass as
// the recorded run did. A wait for a reply that the recording says ended on its time-out (nothing
// came, or nothing good) is passed over to its end as well, once it has seen nothing for
// kGraceMs: a replay served with --fast sends what the recording read at once. A wait the
// recording says was answered is waited out in real time. Never for a real line, whose units need
// those pauses.
class FastForwardClock : public Clock {
public:
    static constexpr std::uint64_t kGraceMs = 10;
    // The recorded waits in order: true for one that ended on its time-out.
    void expectWaits(std::vector<bool> timedOut) { timedOut_ = std::move(timedOut); }
    std::uint64_t nowMs() override { return real_.nowMs() + skippedMs_.load(); }
    void sleepMs(std::uint32_t ms) override { skippedMs_ += ms; }
    void replyAwaitStarted() override { ++waits_; }
    void replyAwaited(std::uint64_t idleMs, std::uint64_t limitMs) override {
        const std::size_t wait = waits_ - 1;
        const bool recordedTimeOut = wait < timedOut_.size() && timedOut_[wait];
        if (recordedTimeOut && idleMs >= kGraceMs && idleMs <= limitMs)
            skippedMs_ += limitMs - idleMs + 1;
    }

private:
    SteadyClock real_;
    std::atomic<std::uint64_t> skippedMs_{0};
    std::vector<bool> timedOut_;
    std::atomic<std::size_t> waits_{0};
};

// The process-wide real clock.
Clock& systemClock();
