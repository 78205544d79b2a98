// Feeds arbitrary byte streams to the reply collection as if they came down the line, on the
// virtual clock. Whatever arrives, the wait ends in bounded time, and a reply is handed out
// only if it is a whole frame with a good CRC that answers the current request.

#include "link/transaction.h"
#include "tests/support/silentConsole.h"

#include <cstdlib>
#include <deque>

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

// Serves the input as incoming bytes: a 0xFE byte is no character but a pause of 50 ms.
class StreamBackend : public SerialBackend {
public:
    StreamBackend(VirtualClock& clock, const std::uint8_t* data, std::size_t size) : clock_(clock) {
        std::uint64_t at = 0;
        for (std::size_t i = 0; i < size; ++i) {
            if (data[i] == 0xFE)
                at += 50;
            else
                incoming_.push_back({at, data[i]});
        }
        lastArrival = at;
    }
    std::uint64_t lastArrival = 0;

    bool open(const std::string&) override { return open_ = true; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    bool configure(const LineSettings&) override { return true; }
    void purge(bool, bool) override {}
    bool setDtr(bool) override { return true; }
    std::optional<ModemSignals> modemSignals() override { return std::nullopt; }
    int bytesWaiting() override {
        int count = 0;
        for (const Timed& b : incoming_)
            count += b.at <= clock_.nowMs() ? 1 : 0;
        return count;
    }
    int outputQueued() override { return 0; }
    int write(const std::uint8_t*, int count) override { return count; }
    bool drain(int) override { return true; }
    int read(std::uint8_t* buffer, int count) override {
        int got = 0;
        while (got < count && !incoming_.empty() && incoming_.front().at <= clock_.nowMs()) {
            buffer[got++] = incoming_.front().byte;
            incoming_.pop_front();
        }
        return got;
    }
    bool waitReadable(int timeoutMs) override {
        if (bytesWaiting() > 0) return true;
        std::uint64_t until = clock_.nowMs() + static_cast<std::uint64_t>(timeoutMs);
        if (!incoming_.empty() && incoming_.front().at < until) until = incoming_.front().at;
        clock_.advanceTo(until);
        return bytesWaiting() > 0;
    }

private:
    struct Timed {
        std::uint64_t at;
        std::uint8_t byte;
    };
    VirtualClock& clock_;
    bool open_ = false;
    std::deque<Timed> incoming_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    VirtualClock clock;
    auto* line = new StreamBackend(clock, data + 2, size - 2);
    TSerialPort port(clock, std::unique_ptr<SerialBackend>(line));
    SilentConsole console;
    Transaction link(port, clock, console);
    if (!port.OpenPort()) return 0;
    port.SuspendPolling();
    // The first two bytes choose the sequence number the reply must answer.
    link.setSequenceNumber(static_cast<std::uint16_t>(data[0] << 8 | data[1]));
    constexpr std::uint16_t kTimeoutMs = 100;
    std::string reply;
    const Reply result = link.PollResponse(kTimeoutMs);
    reply = result.text;

    Require((result.outcome == ExchangeOutcome::Accepted) == !reply.empty());
    // Every character extends the wait by at most one time-out after it.
    Require(clock.nowMs() <= line->lastArrival + kTimeoutMs + 2);
    if (reply.empty()) return 0;
    Require(reply.size() >= 5 && reply.size() < Transaction::kMaxFrameLength);
    Require(reply.front() == '%');
    Require(reply.find('\r') == std::string::npos);
    Require(AppendCRC(reply.substr(0, reply.size() - 4)) == reply);
    Require(reply.size() >= 15 && HexToWord(reply.substr(11, 4)) == link.sequenceNumber());
    return 0;
}
