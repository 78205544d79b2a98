#include "benchSupport.h"

#include "link/catalogue.h"
#include "link/transaction.h"
#include "sim/lineTiming.h"
#include "tests/support/rawPty.h"

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <stdlib.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

PacedPeer::PacedPeer(std::uint32_t baud) : baud_(baud) {
    const RawPty pty = openRawPty();
    master_ = pty.master;
    slave_ = pty.slave;
    devicePath_ = pty.devicePath;
    if (baud_ > 0) thread_ = std::thread([this] { serve(); });
}

PacedPeer::~PacedPeer() {
    running_ = false;
    if (thread_.joinable()) thread_.join();
    ::close(slave_);
    ::close(master_);
}

void PacedPeer::serve() {
    std::string pending;
    while (running_) {
        pollfd entry{master_, POLLIN, 0};
        if (poll(&entry, 1, 5) <= 0) continue;
        char buffer[512];
        const ssize_t got = ::read(master_, buffer, sizeof buffer);
        for (ssize_t i = 0; i < got; ++i) {
            pending.push_back(buffer[i]);
            if (buffer[i] != '\r') continue;
            answer(pending);
            pending.clear();
        }
    }
}

void PacedPeer::answer(const std::string& frame) {
    using namespace std::chrono;
    if (frame.size() < 15) return;
    const std::string reply = AppendCRC("%0100000100" + frame.substr(11, 4) + "00") + "\r";
    const auto perByte = duration<double>(wireSeconds(1, baud_));
    auto due = steady_clock::now() + duration_cast<steady_clock::duration>(perByte * frame.size());
    for (const char c : reply) {
        due += duration_cast<steady_clock::duration>(perByte);
        std::this_thread::sleep_until(due);
        if (::write(master_, &c, 1) != 1) return;
    }
}

TimedPolls timeStatusPolls(Transaction& link, int count) {
    link.port().SuspendPolling();
    TimedPolls timed;
    const double start = wallSeconds();
    for (int i = 0; i < count; ++i) {
        std::string answer;
        answer = link.TxMessage("0100", cmd::StatusPoll, 1000, 0).text;
        if (answer.size() == reply::StatusLength) ++timed.answered;
    }
    timed.seconds = wallSeconds() - start;
    return timed;
}

double wallSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double wireSeconds(std::size_t characters, std::uint32_t baud) {
    return static_cast<double>(characters) * sim::kBitsPerCharacter / static_cast<double>(baud);
}

void reportRatio(const std::string& name, double value, const std::string& goal) {
    std::printf("RATIO\t%s\t%.3f\t%s\n", name.c_str(), value, goal.c_str());
}
