#include "sim/servedLine.h"

#include "sim/lineTiming.h"

#include <algorithm>
#include <chrono>

namespace sim {

namespace {
constexpr std::uint64_t kFullQueueRetryUs = 200;
}

std::uint64_t steadyUs() {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

ServedLine::ServedLine(PtyOptions options) : options_(options) {
    reset();
}

void ServedLine::reset() {
    assembler_.reset();
    line_ = ReplyLine();
    line_.setBaud(options_.baud);
    requestByteUs_ = characterTimeUs(options_.baud);
    requestLineFreeUs_ = 0;
}

bool ServedLine::receive(const char* data, std::size_t count, std::uint64_t nowUs,
                         const Answer& answer) {
    for (std::size_t i = 0; i < count; ++i) {
        requestLineFreeUs_ =
            std::max(nowUs, requestLineFreeUs_) + static_cast<std::uint64_t>(requestByteUs_);
        std::optional<std::string> frame = assembler_.push(data[i]);
        if (!frame) continue;
        std::optional<std::vector<OutgoingReply>> replies = answer(*frame, nowUs / 1000);
        if (!replies) return false;
        for (OutgoingReply& reply : *replies)
            reply.delayMs += options_.latencyMs;
        line_.schedule(*replies, requestLineFreeUs_);
    }
    return true;
}

std::uint64_t ServedLine::waitUs(std::uint64_t nowUs, std::uint64_t idleUs) const {
    if (line_.empty()) return idleUs;
    if (line_.nextArrivalUs() > nowUs) return std::min(idleUs, line_.nextArrivalUs() - nowUs);
    return kFullQueueRetryUs; // the device's queue is full: try again shortly
}

} // namespace sim
