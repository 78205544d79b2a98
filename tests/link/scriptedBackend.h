#pragma once
// An in-memory line on the virtual clock, the one scripted line of the tests and fuzzers:
// requests are recorded, and scripted answers become readable at their virtual time, each behind
// the bytes still on their way, as on a line. Waiting for input moves the clock on to the next
// arrival. A fault set here is the line's own (an adapter gone).

#include "link/clock.h"
#include "link/platform/serialBackend.h"
#include "ptyPeer.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

class ScriptedBackend : public SerialBackend {
public:
    using Responder = std::function<std::vector<ReplyChunk>(const std::string& frame, int index)>;

    explicit ScriptedBackend(VirtualClock& clock) : clock_(clock) {}

    Responder responder;
    std::string fault;
    bool openable = true;
    bool stalled = false; // the line takes no bytes, as with flow control held off
    std::vector<std::string> frames;
    std::vector<std::uint64_t> frameTimes;

    bool open(const std::string&) override { return open_ = openable; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    bool configure(const LineSettings&) override { return true; }
    void purge(bool input, bool) override {
        if (!input) return;
        std::erase_if(incoming_, [&](const Timed& b) { return b.at <= clock_.nowMs(); });
    }
    bool setDtr(bool) override { return false; }
    std::optional<ModemSignals> modemSignals() override { return std::nullopt; }
    // Only the bytes read() can hand over: those in line up to the first still on its way. A
    // count of every arrived byte would promise bytes queued behind a later one, and a reader
    // told they wait would never be handed them.
    int bytesWaiting() override {
        const auto onTheWay = std::find_if(incoming_.begin(), incoming_.end(),
                                           [&](const Timed& b) { return b.at > clock_.nowMs(); });
        return static_cast<int>(onTheWay - incoming_.begin());
    }
    int outputQueued() override { return 0; }
    int write(const std::uint8_t* data, int count) override {
        if (stalled) return 0;
        for (int i = 0; i < count; ++i) {
            pending_.push_back(static_cast<char>(data[i]));
            if (data[i] == '\r') frameDone();
        }
        return count;
    }
    bool drain(int) override { return true; }
    int read(std::uint8_t* buffer, int count) override {
        int got = 0;
        while (got < count && !incoming_.empty() && incoming_.front().at <= clock_.nowMs()) {
            buffer[got++] = incoming_.front().byte;
            incoming_.pop_front();
        }
        return got;
    }
    // Bytes that arrive at the virtual time at, whatever is asked.
    void arrive(std::uint64_t at, std::string_view bytes) {
        for (const char c : bytes)
            incoming_.push_back({at, static_cast<std::uint8_t>(c)});
    }
    std::string lineFault() const override { return fault; }
    bool waitReadable(int timeoutMs) override {
        if (bytesWaiting() > 0) return true;
        std::uint64_t until = clock_.nowMs() + static_cast<std::uint64_t>(timeoutMs);
        if (!incoming_.empty()) until = std::min(until, incoming_.front().at);
        clock_.advanceTo(until);
        return bytesWaiting() > 0;
    }

private:
    struct Timed {
        std::uint64_t at;
        std::uint8_t byte;
    };

    void frameDone() {
        frames.push_back(pending_);
        frameTimes.push_back(clock_.nowMs());
        if (responder) {
            std::uint64_t at =
                std::max(clock_.nowMs(), incoming_.empty() ? 0 : incoming_.back().at);
            for (const ReplyChunk& chunk :
                 responder(pending_, static_cast<int>(frames.size()) - 1)) {
                at += static_cast<std::uint64_t>(chunk.delayMs);
                arrive(at, chunk.bytes);
            }
        }
        pending_.clear();
    }

    VirtualClock& clock_;
    bool open_ = false;
    std::string pending_;
    std::deque<Timed> incoming_;
};
