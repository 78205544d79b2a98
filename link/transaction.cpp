#include "transaction.h"

#include "commsLog.h"
#include "portNote.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace {

constexpr const char* kRequestStart = "@010000";
constexpr char kReplyStart = '%';
constexpr char kFrameEnd = '\r';
constexpr std::uint32_t kPauseBeforeRequestMs = 2;
// Longest wait on the port between two pumps of the face: a reply wakes the wait at once, so
// the slice only bounds how late the window repaints and sees Stop.
constexpr std::uint64_t kWaitSliceMs = 10;
constexpr std::size_t kCrcDigits = 4;
constexpr std::size_t kSequencePosition = 12; // 1-based, 4 digits

std::string fourHexDigits(std::uint16_t value) {
    char digits[5];
    std::snprintf(digits, sizeof digits, "%04X", value);
    return digits;
}

// Characters from 1-based position, as many as there are: never reads past the end.
std::string field(const std::string& text, std::size_t position, std::size_t width) {
    if (position == 0 || position > text.size()) return {};
    return text.substr(position - 1, width);
}

} // namespace

Transaction::Transaction(TSerialPort& port, Clock& clock, Console& console)
    : port_(port), clock_(clock), console_(console) {}

void Transaction::detectLogging() {
    std::error_code error;
    logging_ = std::filesystem::exists(kCommsLogName, error);
}

void Transaction::logLine(const std::string& line) {
    appendCommsLogLine(kCommsLogName, line);
}

void Transaction::TxMessage(const std::string& address, const std::string& command,
                            std::uint16_t timeout, std::uint16_t retries, std::string& reply) {
    exchange(address, command, timeout, retries, reply);
}

void Transaction::PollResponse(std::uint16_t timeout, std::string& reply) {
    collect(timeout, reply);
}

ExchangeResult Transaction::exchange(const std::string& address, const std::string& command,
                                     std::uint16_t timeout, std::uint16_t retries,
                                     std::string& reply) {
    reply.clear();
    sayPortNote();
    clock_.sleepMs(kPauseBeforeRequestMs);
    for (;;) {
        ++sequence_; // every attempt takes a fresh number; 0xFFFF wraps to 0
        const std::string frame =
            AppendCRC(kRequestStart + address + fourHexDigits(sequence_) + command) + kFrameEnd;
        if (logging_) logLine(frame);
        port_.PurgeBuffers(true, true);
        console_.pump();
        reply.clear();
        const ExchangeResult result = attempt(frame, timeout, reply);
        // Retrying on a line that is gone would only repeat the failure.
        if (result.outcome == ExchangeOutcome::PortError || retries == 0 || !reply.empty())
            return result;
        --retries;
    }
}

// Before the run's first request, so that it stands after whatever the run cleared.
void Transaction::sayPortNote() {
    if (portNoteSaid_ || !port_.IsOpen()) return;
    portNoteSaid_ = true;
    const std::string note = port_.OpenNote();
    if (!note.empty()) tellPortNote(console_, runLog_, note);
}

ExchangeResult Transaction::attempt(const std::string& frame, std::uint16_t timeout,
                                    std::string& reply) {
    if (!port_.LineFault().empty()) return finish(portError());
    if (port_.WriteText(frame)) return collect(timeout, reply);
    if (!port_.LineFault().empty()) return finish(portError());
    return finish({ExchangeOutcome::WriteFailed, {}});
}

ExchangeResult Transaction::portError() const {
    return {ExchangeOutcome::PortError, port_.LineFault()};
}

ExchangeResult Transaction::finish(ExchangeResult result) {
    // Said once: the exchanges after it fail the same way and add nothing the operator needs.
    const bool firstLoss = result.outcome == ExchangeOutcome::PortError && !lineLost();
    counts_.add(result.outcome);
    if (firstLoss) tellLineLost(console_, runLog_, result.platformText);
    last_ = result;
    return result;
}

// A frame is accepted when it is long enough to hold a sequence number, its CRC digits match
// exactly (upper case) and it answers the current sequence number. The frame is left as body plus
// computed CRC.
ExchangeOutcome Transaction::judgeFrame(std::string& frame) const {
    // A frame too short to carry a sequence number is garbage, even if its last four
    // characters happen to be the CRC of the rest: it would read as sequence number 0.
    if (frame.size() < kSequencePosition + 3 + kCrcDigits) return ExchangeOutcome::BadCrc;
    const std::size_t bodyLength = frame.size() > kCrcDigits ? frame.size() - kCrcDigits : 0;
    const std::string received = frame.substr(bodyLength);
    frame = AppendCRC(frame.substr(0, bodyLength));
    if (frame.substr(bodyLength) != received) return ExchangeOutcome::BadCrc;
    return HexToWord(field(frame, kSequencePosition, 4)) == sequence_
               ? ExchangeOutcome::Accepted
               : ExchangeOutcome::StaleSequence;
}

// Reads until an accepted frame or until the line has been quiet for the time-out. A rejected
// frame is dropped and the wait goes on; the last rejection names the outcome if nothing good
// follows.
ExchangeResult Transaction::collect(std::uint16_t timeout, std::string& reply) {
    reply.clear();
    if (timeout == 0) return finish({ExchangeOutcome::NotAwaited, {}});
    const std::uint64_t limit = std::max(timeout, minimumTimeout_);
    console_.pump();
    std::string frame;
    bool collecting = false;
    ExchangeOutcome outcome = ExchangeOutcome::TimedOut;
    std::uint64_t lastActivity = clock_.nowMs();
    while (outcome != ExchangeOutcome::Accepted && clock_.nowMs() - lastActivity <= limit) {
        console_.pump();
        std::uint8_t byte = 0;
        if (port_.BytesWaiting() <= 0 || !port_.ReadOneByte(byte)) {
            if (!port_.LineFault().empty()) {
                outcome = ExchangeOutcome::PortError;
                break;
            }
            // Never past the moment the time-out runs out, so the wait ends on time.
            const std::uint64_t due = lastActivity + limit + 1;
            const std::uint64_t now = clock_.nowMs();
            port_.WaitForInput(static_cast<int>(
                std::clamp<std::uint64_t>(due - std::min(due, now), 1, kWaitSliceMs)));
            console_.pump();
            continue;
        }
        if (byte == kReplyStart) {
            frame.clear();
            collecting = true;
        }
        if (!collecting) continue; // noise between frames does not extend the wait
        frame.push_back(static_cast<char>(byte));
        lastActivity = clock_.nowMs();
        if (frame.size() > kMaxFrameLength) {
            // A line that never ends its frame must not hold the wait open for ever.
            frame.clear();
            collecting = false;
            continue;
        }
        if (byte != kFrameEnd) continue;
        frame.pop_back();
        const ExchangeOutcome judged = judgeFrame(frame);
        if (judged != ExchangeOutcome::Accepted) {
            frame.clear();
            collecting = false;
        }
        outcome = judged;
    }
    if (outcome != ExchangeOutcome::Accepted) frame.clear();
    if (logging_) logLine(frame);
    reply = frame;
    if (outcome == ExchangeOutcome::PortError) return finish(portError());
    return finish({outcome, {}});
}
