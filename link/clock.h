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
// the recorded run did. Never for a real line, whose units need those pauses.
class FastForwardClock : public Clock {
public:
    std::uint64_t nowMs() override { return real_.nowMs() + skippedMs_.load(); }
    void sleepMs(std::uint32_t ms) override { skippedMs_ += ms; }

private:
    SteadyClock real_;
    std::atomic<std::uint64_t> skippedMs_{0};
};

// The process-wide real clock.
Clock& systemClock();
