#include "sim/replayScript.h"

#include "link/captureTrace.h"
#include "sim/frameCrc.h"

#include <cstdio>

namespace sim {

namespace {

constexpr char kReplyStart = '%';
constexpr char kFrameEnd = '\r';
constexpr std::size_t kReplySequenceAt = 11; // after '%', the unit's address and a header
constexpr std::size_t kSequenceDigits = 4;
constexpr std::size_t kCrcDigits = 4;

std::optional<std::uint16_t> hexWord(const std::string& text) {
    if (text.size() != kSequenceDigits) return std::nullopt;
    unsigned value = 0;
    for (char c : text) {
        int digit = (c >= '0' && c <= '9') ? c - '0' : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return static_cast<std::uint16_t>(value);
}

std::string fourDigits(std::uint16_t value) {
    char digits[5];
    std::snprintf(digits, sizeof digits, "%04X", value);
    return digits;
}

// One frame's body (no carriage return) re-stamped, or as it was when it is not a good one.
std::string restampedFrame(const std::string& body, std::uint16_t shift) {
    if (body.size() < kReplySequenceAt + kSequenceDigits + kCrcDigits) return body;
    const std::string text = body.substr(0, body.size() - kCrcDigits);
    if (withCrc(text) != body) return body;
    const std::optional<std::uint16_t> sequence =
        hexWord(text.substr(kReplySequenceAt, kSequenceDigits));
    if (!sequence) return body;
    const std::string moved = text.substr(0, kReplySequenceAt) +
                              fourDigits(static_cast<std::uint16_t>(*sequence + shift)) +
                              text.substr(kReplySequenceAt + kSequenceDigits);
    return withCrc(moved);
}

} // namespace

std::string restamped(const std::string& bytes, std::uint16_t shift) {
    if (shift == 0) return bytes;
    std::string out;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t start = bytes.find(kReplyStart, at);
        if (start == std::string::npos) break;
        const std::size_t end = bytes.find(kFrameEnd, start);
        if (end == std::string::npos) break;
        // A frame starts again at the last '%' before its end, as the tool reads it.
        const std::size_t last = bytes.rfind(kReplyStart, end);
        out += bytes.substr(at, last - at);
        out += restampedFrame(bytes.substr(last, end - last), shift);
        out += kFrameEnd;
        at = end + 1;
    }
    return out + bytes.substr(std::min(at, bytes.size()));
}

ReplayScript::ReplayScript(const capture::Capture& recording, bool fast) : fast_(fast) {
    std::uint64_t lastAt = 0;
    for (const capture::Record& record : recording.records) {
        if (record.event == capture::Event::Request) {
            Step step;
            step.line = record.line;
            step.frame = record.frame;
            if (const auto parts = capture::splitRequest(record.frame)) {
                step.address = parts->address;
                step.sequence = parts->sequence;
                step.command = parts->command;
            }
            steps_.push_back(std::move(step));
            lastAt = record.t;
            continue;
        }
        if (record.event != capture::Event::Reply || steps_.empty()) continue;
        if (record.outcome == ExchangeOutcome::PortError) steps_.back().lineLost = true;
        if (record.bytes.empty()) continue;
        const std::uint64_t afterUs = record.t > lastAt ? record.t - lastAt : 0;
        steps_.back().replies.push_back(
            {record.bytes, fast ? 0u : static_cast<std::uint32_t>(afterUs / 1000)});
        lastAt = record.t;
    }
}

bool ReplayScript::sameRequest(const Step& a, const Step& b) const {
    return a.address == b.address && a.command == b.command;
}

bool ReplayScript::matches(const Step& step, const std::string& address,
                           const std::string& command) const {
    return step.address == address && step.command == command;
}

std::optional<std::vector<OutgoingReply>> ReplayScript::replay(const Step& step,
                                                               const std::string& sequence) const {
    if (step.lineLost) return std::nullopt;
    const std::uint16_t shift = static_cast<std::uint16_t>(hexWord(sequence).value_or(0) -
                                                           hexWord(step.sequence).value_or(0));
    std::vector<OutgoingReply> replies;
    for (const Recorded& reply : step.replies)
        replies.push_back({restamped(reply.bytes, shift), fast_ ? 0u : reply.delayMs});
    return replies;
}

void ReplayScript::diverge(const std::string& how) {
    divergence_ = "request " + std::to_string(received_) + ": " + how;
}

std::optional<std::vector<OutgoingReply>> ReplayScript::answer(const std::string& frame) {
    const std::optional<capture::RequestParts> sent = capture::splitRequest(frame);
    if (!sent) return std::vector<OutgoingReply>{}; // not a request: noise to every unit
    ++received_;
    if (divergence_) return std::vector<OutgoingReply>{};
    const std::string said = capture::describeRequest(frame);
    if (next_ < steps_.size() && matches(steps_[next_], sent->address, sent->command))
        return replay(steps_[next_++], sent->sequence);
    // One more attempt than the recording made: its reply is lost, as the last one was.
    if (next_ > 0 && matches(steps_[next_ - 1], sent->address, sent->command)) {
        ++extraRepeats_;
        return std::vector<OutgoingReply>{};
    }
    // Recorded repeats that the tool no longer makes are passed over.
    std::size_t past = next_;
    while (past > 0 && past < steps_.size() && sameRequest(steps_[past], steps_[past - 1]))
        ++past;
    if (past != next_ && past < steps_.size() &&
        matches(steps_[past], sent->address, sent->command)) {
        skippedRepeats_ += past - next_;
        next_ = past;
        return replay(steps_[next_++], sent->sequence);
    }
    if (next_ >= steps_.size())
        diverge("the recording has no more requests, sent " + said);
    else
        diverge("recorded " + capture::describeRequest(steps_[next_].frame) + ", sent " + said);
    return std::vector<OutgoingReply>{};
}

} // namespace sim
