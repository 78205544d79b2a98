#pragma once
// The units' answers taken from a fuzz input, for procedures that run against an in-memory
// line on the virtual clock. The input is split at '\n' into the answers to the requests in
// the order they are sent; an empty answer is silence. Once a request finds no answer left the
// line fails, as an unplugged adapter does, so that the run ends at once instead of waiting out
// every time-out that remains. Within an answer '|' separates frames (an identification
// request is answered by many units). A frame is the reply text from the status byte on: the
// line puts the reply mark and the request's own header and sequence number in front and the
// CRC behind, so that the bytes reach the reader of the reply fields instead of being dropped by
// the framing.

#include "link/platform/serialBackend.h"
#include "link/transaction.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ScriptedLine : public SerialBackend {
public:
    ScriptedLine(VirtualClock& clock, std::string_view input) : clock_(clock) {
        for (std::size_t from = 0; from <= input.size();) {
            std::size_t end = std::min(input.find('\n', from), input.size());
            answers_.push_back(input.substr(from, end - from));
            from = end + 1;
        }
    }

    std::size_t requests = 0;

    bool open(const std::string&) override { return open_ = true; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    bool configure(const LineSettings&) override { return true; }
    void purge(bool input, bool) override {
        if (input) incoming_.erase(incoming_.begin(), arrived());
    }
    bool setDtr(bool) override { return false; }
    std::optional<ModemSignals> modemSignals() override { return std::nullopt; }
    int bytesWaiting() override { return static_cast<int>(arrived() - incoming_.begin()); }
    int outputQueued() override { return 0; }
    int write(const std::uint8_t* data, int count) override {
        for (int i = 0; i < count; ++i) {
            pending_.push_back(static_cast<char>(data[i]));
            if (data[i] == '\r') answer();
        }
        return count;
    }
    bool drain(int) override { return true; }
    int read(std::uint8_t* buffer, int count) override {
        const int got = std::min(count, bytesWaiting());
        for (int i = 0; i < got; ++i) {
            buffer[i] = incoming_.front().byte;
            incoming_.pop_front();
        }
        return got;
    }
    bool waitReadable(int timeoutMs) override {
        if (bytesWaiting() > 0) return true;
        std::uint64_t until = clock_.nowMs() + static_cast<std::uint64_t>(timeoutMs);
        if (!incoming_.empty()) until = std::min(until, incoming_.front().at);
        clock_.advanceTo(until);
        return bytesWaiting() > 0;
    }
    std::string lineFault() const override { return exhausted_ ? "No answers left" : ""; }

private:
    struct Timed {
        std::uint64_t at;
        std::uint8_t byte;
    };
    static constexpr std::uint64_t kFrameGapMs = 5;
    static constexpr std::size_t kHeaderAndSequence = 15;
    static constexpr char kReplyStart = '%';

    // Bytes arrive in order, so those that have arrived are a prefix.
    std::deque<Timed>::iterator arrived() {
        return std::upper_bound(incoming_.begin(), incoming_.end(), clock_.nowMs(),
                                [](std::uint64_t now, const Timed& b) { return now < b.at; });
    }

    void answer() {
        const std::string request = std::move(pending_);
        pending_.clear();
        ++requests;
        if (next_ >= answers_.size()) {
            exhausted_ = true;
            return;
        }
        const std::string_view text = answers_[next_++];
        if (text.empty()) return;
        // An answer queues behind the frames of an earlier one that are still on their way.
        std::uint64_t at = std::max(clock_.nowMs(), incoming_.empty() ? 0 : incoming_.back().at);
        for (std::size_t from = 0; from <= text.size();) {
            std::size_t end = std::min(text.find('|', from), text.size());
            at += kFrameGapMs;
            for (char c : frameFor(request, text.substr(from, end - from)))
                incoming_.push_back({at, static_cast<std::uint8_t>(c)});
            from = end + 1;
        }
    }

    static std::string frameFor(const std::string& request, std::string_view body) {
        const std::string header = request.substr(1, kHeaderAndSequence - 1);
        return AppendCRC(kReplyStart + header + std::string(body)) + "\r";
    }

    VirtualClock& clock_;
    std::vector<std::string_view> answers_;
    std::size_t next_ = 0;
    bool exhausted_ = false;
    bool open_ = false;
    std::string pending_;
    std::deque<Timed> incoming_;
};

// The port, its in-memory line and the transaction, with the replies of one input.
struct ScriptedLink {
    ScriptedLink(std::string_view input, Console& console)
        : line(new ScriptedLine(clock, input)), port(clock, std::unique_ptr<SerialBackend>(line)),
          link(port, clock, console) {
        configureForTool(port);
        port.setDevicePath("virtual");
    }

    VirtualClock clock;
    ScriptedLine* line; // owned by the port
    TSerialPort port;
    Transaction link;
};
