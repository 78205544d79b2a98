#pragma once
// The units' answers taken from a fuzz input, for procedures that run against an in-memory
// line on the virtual clock. The input is split at '\n' into the answers to the requests in
// the order they are sent; an empty answer is silence. Once a request finds no answer left the
// line fails, as an unplugged adapter does, so that the run ends at once instead of waiting out
// every time-out that remains. Within an answer '|' separates frames (an identification
// request is answered by many units). A frame is the reply text from the status byte on: the
// line puts the reply mark and the request's own header and sequence number in front and the CRC
// behind, so that the bytes reach the reader of the reply fields instead of being dropped by the
// framing.

#include "link/transaction.h"
#include "tests/link/scriptedBackend.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class ScriptedReplies {
public:
    ScriptedReplies(std::string_view input, VirtualClock& clock) : clock_(clock) {
        std::size_t from = 0;
        while (from <= input.size()) {
            std::size_t end = input.find('\n', from);
            if (end == std::string_view::npos) end = input.size();
            answers_.emplace_back(input.substr(from, end - from));
            from = end + 1;
        }
    }

    ScriptedBackend::Responder responder() {
        return [this](const std::string& request, int) { return answer(request); };
    }
    bool exhausted() const { return exhausted_; }

private:
    static constexpr int kFrameGapMs = 5;
    static constexpr std::size_t kHeaderAndSequence = 15;
    static constexpr char kReplyStart = '%';

    std::vector<ReplyChunk> answer(const std::string& request) {
        std::vector<ReplyChunk> chunks;
        if (next_ >= answers_.size()) {
            exhausted_ = true;
            return chunks;
        }
        const std::string_view text = answers_[next_++];
        if (text.empty()) return chunks;
        // A line delivers in order: an answer queues behind the frames of an earlier one that
        // are still on their way.
        const std::uint64_t now = clock_.nowMs();
        std::uint64_t at = std::max(now, lastArrival_);
        int delay = static_cast<int>(at - now) + kFrameGapMs;
        for (std::size_t from = 0; from <= text.size();) {
            std::size_t end = text.find('|', from);
            if (end == std::string_view::npos) end = text.size();
            chunks.push_back({delay, frameFor(request, text.substr(from, end - from))});
            at += static_cast<std::uint64_t>(delay);
            delay = kFrameGapMs;
            from = end + 1;
        }
        lastArrival_ = at;
        return chunks;
    }

    static std::string frameFor(const std::string& request, std::string_view body) {
        return AppendCRC(kReplyStart + request.substr(1, kHeaderAndSequence - 1) +
                         std::string(body)) +
               "\r";
    }

    VirtualClock& clock_;
    std::vector<std::string> answers_;
    std::size_t next_ = 0;
    bool exhausted_ = false;
    std::uint64_t lastArrival_ = 0;
};

class ScriptedLine : public ScriptedBackend {
public:
    ScriptedLine(VirtualClock& clock, const ScriptedReplies& replies)
        : ScriptedBackend(clock), replies_(replies) {}
    std::string lineFault() const override {
        return replies_.exhausted() ? "No answers left" : std::string();
    }

private:
    const ScriptedReplies& replies_;
};

// The port, its in-memory line and the transaction, with the replies of one input.
struct ScriptedLink {
    ScriptedLink(std::string_view input, Console& console)
        : replies(input, clock), line(new ScriptedLine(clock, replies)),
          port(clock, std::unique_ptr<SerialBackend>(line)), link(port, clock, console) {
        line->responder = replies.responder();
        configureForTool(port);
        port.setDevicePath("virtual");
    }

    VirtualClock clock;
    ScriptedReplies replies;
    ScriptedLine* line; // owned by the port
    TSerialPort port;
    Transaction link;
};
