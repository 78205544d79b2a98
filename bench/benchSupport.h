#pragma once
// What both benchmarks need: a pseudo-terminal whose far end answers status polls like a unit
// on a real line, a face that does nothing, and the clocks to measure with.

#include "link/silentConsole.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

// The far end of a pseudo-terminal. With a baud rate it answers every request with a status
// reply, paced as on a line of that speed (10 bits a character): the request's own wire time
// passes first, then each reply byte takes its wire time. Without one it never answers.
class PacedPeer {
public:
    explicit PacedPeer(std::uint32_t baud = 0);
    ~PacedPeer();
    const std::string& devicePath() const { return devicePath_; }

private:
    void serve();
    void answer(const std::string& frame);

    int master_ = -1, slave_ = -1;
    std::string devicePath_;
    std::uint32_t baud_;
    std::atomic<bool> running_{true};
    std::thread thread_;
};

class Transaction;

// Times count "01" status polls to unit 0100 on an open port, polling suspended; answered
// counts the full replies.
struct TimedPolls {
    double seconds = 0;
    int answered = 0;
};
TimedPolls timeStatusPolls(Transaction& link, int count);

double wallSeconds();
double processCpuSeconds();
// Seconds a line at baud needs for characters (10 bits each).
double wireSeconds(std::size_t characters, std::uint32_t baud);

// One figure for the table of bench/run: a tab-separated line "RATIO name value goal" that the
// script gathers from every benchmark's output.
void reportRatio(const std::string& name, double value, const std::string& goal);
