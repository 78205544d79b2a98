#pragma once
// How much processor time the tool takes while a run winds down after the line failed: the
// share of one core, from the moment of the loss over a window that includes the run's end
// and the idle time after it. A wait that spins shows as a share near 1.

#include <chrono>
#include <cstdint>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/types.h>
#include <unistd.h>

// The calling thread's own time, so that the simulator's serving thread is not counted.
class ThreadCpuWatch {
public:
    using Clock = std::chrono::steady_clock;

    void startOnce() {
        if (started_) return;
        started_ = true;
        cpuStartNs_ = threadCpuNs();
        wallStart_ = Clock::now();
    }
    bool started() const { return started_; }
    double msSinceStart() const {
        return std::chrono::duration<double, std::milli>(Clock::now() - wallStart_).count();
    }
    // Call on the watched thread.
    double share() const {
        const double wallNs =
            std::chrono::duration<double, std::nano>(Clock::now() - wallStart_).count();
        return static_cast<double>(threadCpuNs() - cpuStartNs_) / wallNs;
    }

private:
    static std::int64_t threadCpuNs() {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
    }
    bool started_ = false;
    std::int64_t cpuStartNs_ = 0;
    Clock::time_point wallStart_;
};

// Another process's user and system time in seconds, and whether it has ended (a zombie not
// yet reaped still shows its times).
struct ProcessCpu {
    double seconds = 0;
    bool ended = false;
};

inline ProcessCpu processCpu(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ProcessCpu cpu;
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos) return cpu;
    std::istringstream fields(text.substr(close + 2));
    std::string state, skip;
    fields >> state;
    for (int field = 4; field <= 13; ++field)
        fields >> skip;
    unsigned long long user = 0, system = 0;
    fields >> user >> system;
    cpu.seconds = static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
    cpu.ended = state == "Z" || state == "X";
    return cpu;
}
