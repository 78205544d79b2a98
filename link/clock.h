#pragma once
// Millisecond time for the engine. The real clock is steady_clock; tests of long time-out
// paths run on a VirtualClock whose time only moves when something sleeps or waits.

#include <atomic>
#include <cstdint>

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint64_t nowMs() = 0;
    virtual void sleepMs(std::uint32_t ms) = 0;
    // Told by a wait for a reply that has seen nothing for idleMs of its limitMs.
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
// the recorded run did. A wait for a reply that has seen nothing for kGraceMs is passed over to
// its end as well: a replay served with --fast answers within a millisecond, so what has not
// come by then was a time-out in the recording. Never for a real line, whose units need those
// pauses and answer later.
class FastForwardClock : public Clock {
public:
    static constexpr std::uint64_t kGraceMs = 30;
    std::uint64_t nowMs() override { return real_.nowMs() + skippedMs_.load(); }
    void sleepMs(std::uint32_t ms) override { skippedMs_ += ms; }
    void replyAwaited(std::uint64_t idleMs, std::uint64_t limitMs) override {
        if (idleMs >= kGraceMs && idleMs <= limitMs) skippedMs_ += limitMs - idleMs + 1;
    }

private:
    SteadyClock real_;
    std::atomic<std::uint64_t> skippedMs_{0};
};

// The process-wide real clock.
Clock& systemClock();
