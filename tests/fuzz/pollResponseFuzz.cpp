// Feeds arbitrary byte streams to the reply collection as if they came down the line, on the
// virtual clock. Whatever arrives, the wait ends in bounded time, and a reply is handed out
// only if it is a whole frame with a good CRC that answers the current request.

#include "link/linkSession.h"
#include "link/silentConsole.h"
#include "tests/link/scriptedBackend.h"

#include <cstdlib>

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

// Serves the input as incoming bytes: a 0xFE byte is no character but a pause of 50 ms. The time
// the last byte arrives.
std::uint64_t serve(ScriptedBackend& line, const std::uint8_t* data, std::size_t size) {
    std::uint64_t at = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0xFE)
            at += 50;
        else
            line.arrive(at, std::string(1, static_cast<char>(data[i])));
    }
    return at;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    VirtualClock clock;
    auto* line = new ScriptedBackend(clock);
    const std::uint64_t lastArrival = serve(*line, data + 2, size - 2);
    SilentConsole console;
    LinkSession session(console, clock, std::unique_ptr<SerialBackend>(line));
    Transaction& link = session.link();
    if (!session.port().OpenPort()) return 0;
    session.port().SuspendPolling();
    // The first two bytes choose the sequence number the reply must answer.
    link.setSequenceNumber(static_cast<std::uint16_t>(data[0] << 8 | data[1]));
    constexpr std::uint16_t kTimeoutMs = 100;
    const Reply result = link.PollResponse(kTimeoutMs);
    const std::string& reply = result.text;

    Require((result.outcome == ExchangeOutcome::Accepted) == !reply.empty());
    // Every character extends the wait by at most one time-out after it.
    Require(clock.nowMs() <= lastArrival + kTimeoutMs + 2);
    if (reply.empty()) return 0;
    Require(reply.size() >= 5 && reply.size() < Transaction::kMaxFrameLength);
    Require(reply.front() == '%');
    Require(reply.find('\r') == std::string::npos);
    Require(AppendCRC(reply.substr(0, reply.size() - 4)) == reply);
    Require(reply.size() >= 15 && HexToWord(reply.substr(11, 4)) == link.sequenceNumber());
    return 0;
}
