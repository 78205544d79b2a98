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

#include "link/crc.h"
#include "link/linkSession.h"
#include "tests/link/scriptedBackend.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The answers of one input, one a request in the order they are sent.
class ScriptedAnswers {
public:
    explicit ScriptedAnswers(std::string_view input) {
        for (std::size_t from = 0; from <= input.size();) {
            std::size_t end = std::min(input.find('\n', from), input.size());
            answers_.push_back(input.substr(from, end - from));
            from = end + 1;
        }
    }
    // The frames of the next answer to request; none, and the line failed, when there is none.
    std::vector<ReplyChunk> next(const std::string& request, ScriptedBackend& line) {
        if (next_ >= answers_.size()) {
            line.fault = "No answers left";
            return {};
        }
        const std::string_view text = answers_[next_++];
        std::vector<ReplyChunk> frames;
        if (text.empty()) return frames;
        for (std::size_t from = 0; from <= text.size();) {
            std::size_t end = std::min(text.find('|', from), text.size());
            frames.push_back({kFrameGapMs, frameFor(request, text.substr(from, end - from))});
            from = end + 1;
        }
        return frames;
    }

private:
    static constexpr int kFrameGapMs = 5;
    static constexpr std::size_t kHeaderAndSequence = 15;
    static constexpr char kReplyStart = '%';

    static std::string frameFor(const std::string& request, std::string_view body) {
        const std::string header = request.substr(1, kHeaderAndSequence - 1);
        return AppendCRC(kReplyStart + header + std::string(body)) + "\r";
    }

    std::vector<std::string_view> answers_;
    std::size_t next_ = 0;
};

// The session on the in-memory line, with the replies of one input.
struct ScriptedLink {
    ScriptedLink(std::string_view input, Console& console)
        : answers(input), line(new ScriptedBackend(clock)),
          session(console, clock, std::unique_ptr<SerialBackend>(line)), port(session.port()),
          link(session.link()) {
        line->responder = [this](const std::string& request, int) {
            return answers.next(request, *line);
        };
        configureForTool(port);
        port.setDevicePath("virtual");
    }
    std::size_t requests() const { return line->frames.size(); }

    VirtualClock clock;
    ScriptedAnswers answers;
    ScriptedBackend* line; // owned by the session's port
    LinkSession session;
    TSerialPort& port;
    Transaction& link;
};
