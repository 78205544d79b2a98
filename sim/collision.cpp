#include "sim/collision.h"

#include <algorithm>

namespace sim {

std::vector<OutgoingReply> collide(std::vector<OutgoingReply> replies, Collision how) {
    if (how == Collision::NearerFirst || replies.size() < 2) return replies;
    OutgoingReply line = replies.front();
    for (std::size_t k = 1; k < replies.size(); ++k) {
        const OutgoingReply& other = replies[k];
        line.delayMs = std::min(line.delayMs, other.delayMs);
        if (other.bytes.size() > line.bytes.size())
            line.bytes.append(other.bytes, line.bytes.size());
        for (std::size_t i = 0; i < other.bytes.size(); ++i)
            line.bytes[i] = static_cast<char>(line.bytes[i] & other.bytes[i]);
    }
    return {line};
}

} // namespace sim
