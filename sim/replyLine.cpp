#include "sim/replyLine.h"

#include "sim/lineTiming.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {}

void ReplyLine::setBaud(std::uint32_t baud) {
    byteTimeUs_ = characterTimeUs(baud);
}

void ReplyLine::schedule(const std::vector<OutgoingReply>& replies, std::uint64_t requestEndUs) {
    for (const OutgoingReply& reply : replies) {
        std::uint64_t start =
            std::max(requestEndUs + std::uint64_t{reply.delayMs} * 1000, lineFreeUs_);
        for (std::size_t i = 0; i < reply.bytes.size(); ++i) {
            auto offset = static_cast<std::uint64_t>(std::llround((i + 1) * byteTimeUs_));
            bytes_.push_back({start + offset, reply.bytes[i]});
        }
        if (!reply.bytes.empty()) lineFreeUs_ = bytes_.back().atUs;
    }
}

std::size_t ReplyLine::arrivedBy(std::uint64_t nowUs) const {
    std::size_t count = 0;
    while (count < bytes_.size() && bytes_[count].atUs <= nowUs)
        ++count;
    return count;
}

std::string ReplyLine::takeArrived(std::uint64_t nowUs, std::size_t max) {
    std::string taken;
    while (taken.size() < max && !bytes_.empty() && bytes_.front().atUs <= nowUs) {
        taken.push_back(bytes_.front().byte);
        bytes_.pop_front();
    }
    return taken;
}

void ReplyLine::giveBack(const std::string& bytes, std::uint64_t atUs) {
    for (auto it = bytes.rbegin(); it != bytes.rend(); ++it)
        bytes_.push_front({atUs, *it});
}

void ReplyLine::discardArrived(std::uint64_t nowUs) {
    while (!bytes_.empty() && bytes_.front().atUs <= nowUs)
        bytes_.pop_front();
}

} // namespace sim
