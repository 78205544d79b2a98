#pragma once
// The simulator's side of the line: reply bytes in the order they go out, each stamped with
// the time (microseconds) at which its last bit has arrived at the other end. Replies to one
// request follow each other; they never overlap.

#include "sim/faultyReply.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace sim {

class ReplyLine {
public:
    // 10 bits a character; 0 puts whole replies on the line at once.
    void setBaud(std::uint32_t baud);
    void schedule(const std::vector<OutgoingReply>& replies, std::uint64_t requestEndUs);

    bool empty() const { return bytes_.empty(); }
    std::uint64_t nextArrivalUs() const { return bytes_.empty() ? 0 : bytes_.front().atUs; }
    std::size_t arrivedBy(std::uint64_t nowUs) const;
    std::string takeArrived(std::uint64_t nowUs, std::size_t max);
    // Put back bytes that could not be handed on (front of the queue, same times).
    void giveBack(const std::string& bytes, std::uint64_t atUs);
    void discardArrived(std::uint64_t nowUs);

private:
    struct TimedByte {
        std::uint64_t atUs;
        char byte;
    };
    std::deque<TimedByte> bytes_;
    std::uint64_t lineFreeUs_ = 0;
    double byteTimeUs_ = 0;
};

} // namespace sim
