#include "transaction.h"

#include "commsLog.h"
#include "crc.h"
#include "portNote.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace {

constexpr const char* kRequestStart = "@010000";
constexpr char kReplyStart = '%';
constexpr char kFrameEnd = '\r';
constexpr std::uint32_t kPauseBeforeRequestMs = 2;
// A pause looks at the line at least this often, so that a lost line ends it at once.
constexpr std::uint32_t kPauseSliceMs = 10;
// Longest wait on the port between two looks at the line's health: a reply wakes the wait at
// once, so the slice only bounds how late a lost line is seen.
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
    appendCommsLogLine(commsLogName_, line);
}

Reply Transaction::TxMessage(const std::string& address, const std::string& command,
                             std::uint16_t timeout, std::uint16_t retries) {
    return exchange(address, command, timeout, retries, false);
}

Reply Transaction::exchange(const std::string& address, const std::string& command,
                            std::uint16_t timeout, std::uint16_t retries, bool silenceEnds) {
    sayPortNote();
    clock_.sleepMs(kPauseBeforeRequestMs);
    for (unsigned sendings = 1;; ++sendings) {
        ++sequence_; // every attempt takes a fresh number; 0xFFFF wraps to 0
        const std::string frame =
            AppendCRC(kRequestStart + address + fourHexDigits(sequence_) + command) + kFrameEnd;
        if (logging_) logLine(frame);
        if (capture_) capture_->request(frame);
        heard_.clear();
        waitLimitMs_ = 0;
        port_.PurgeBuffers(true, true);
        arrived_.clear(); // what was read for an earlier request is purged with the line's
        arrivedAt_ = 0;
        Reply result = attempt(frame, timeout);
        result.sendings = sendings;
        // Retrying on a line that is gone would only repeat the failure.
        if (result.outcome == ExchangeOutcome::PortError || retries == 0 || !result.empty())
            return result;
        if (silenceEnds && !result.damaged()) return result;
        --retries;
    }
}

void Transaction::pause(std::uint32_t ms) {
    const std::uint64_t end = clock_.nowMs() + ms;
    for (std::uint64_t now = clock_.nowMs(); now < end; now = clock_.nowMs()) {
        // No request is on the line meanwhile: a look at the port without waiting is what
        // shows that the line has gone (a hung-up device, a closed connection).
        if (port_.IsOpen()) port_.WaitForInput(0);
        if (lineLost() || !port_.LineFault().empty()) return;
        clock_.sleepMs(
            static_cast<std::uint32_t>(std::min<std::uint64_t>(end - now, kPauseSliceMs)));
        waited();
    }
}

// Before the run's first request, so that it stands after whatever the run cleared.
void Transaction::sayPortNote() {
    if (portNoteSaid_ || !port_.IsOpen()) return;
    portNoteSaid_ = true;
    const std::string note = port_.OpenNote();
    if (!note.empty()) tellPortNote(console_, runLog_, note);
}

Reply Transaction::attempt(const std::string& frame, std::uint16_t timeout) {
    if (!port_.LineFault().empty()) return finish(portError());
    if (port_.WriteText(frame)) return PollResponse(timeout);
    if (!port_.LineFault().empty()) return finish(portError());
    return finish({{}, ExchangeOutcome::WriteFailed, {}});
}

Reply Transaction::portError() const {
    return {{}, ExchangeOutcome::PortError, port_.LineFault()};
}

Reply Transaction::finish(Reply result) {
    // Said once: the exchanges after it fail the same way and add nothing the operator needs.
    const bool firstLoss = result.outcome == ExchangeOutcome::PortError && !lineLost();
    counts_.add(result.outcome);
    if (capture_ && result.outcome != ExchangeOutcome::NotAwaited)
        capture_->reply(heard_, result.outcome, waitLimitMs_);
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
// follows. The line is read in blocks of whatever has arrived; what follows an accepted frame
// waits for the next collection.
Reply Transaction::PollResponse(std::uint16_t timeout) {
    if (timeout == 0) return finish({{}, ExchangeOutcome::NotAwaited, {}});
    const std::uint64_t limit = std::max(timeout, minimumTimeout());
    clock_.replyAwaitStarted();
    heard_.clear();
    waitLimitMs_ = limit;
    std::string frame;
    bool collecting = false;
    ExchangeOutcome outcome = ExchangeOutcome::TimedOut;
    std::uint64_t lastActivity = clock_.nowMs();
    while (outcome != ExchangeOutcome::Accepted && clock_.nowMs() - lastActivity <= limit) {
        if (arrivedAt_ == arrived_.size() && !takeArrived()) {
            if (!port_.LineFault().empty()) {
                outcome = ExchangeOutcome::PortError;
                break;
            }
            // Never past the moment the time-out runs out, so the wait ends on time.
            const std::uint64_t due = lastActivity + limit + 1;
            const std::uint64_t now = clock_.nowMs();
            port_.WaitForInput(static_cast<int>(
                std::clamp<std::uint64_t>(due - std::min(due, now), 1, kWaitSliceMs)));
            waited();
            clock_.replyAwaited(clock_.nowMs() - lastActivity, limit);
            continue;
        }
        const std::uint8_t byte = arrived_[arrivedAt_++];
        if (capture_) heard_.push_back(static_cast<char>(byte));
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
    const bool cutShort = outcome == ExchangeOutcome::TimedOut && collecting;
    if (outcome != ExchangeOutcome::Accepted) frame.clear();
    if (logging_) logLine(frame);
    if (outcome == ExchangeOutcome::PortError) return finish(portError());
    Reply result{frame, outcome, {}};
    result.cutShort = cutShort;
    return finish(result);
}

// Reads all that has arrived in one block; false when nothing has.
bool Transaction::takeArrived() {
    const int waiting = port_.BytesWaiting();
    if (waiting <= 0) return false;
    arrived_.resize(static_cast<std::size_t>(waiting));
    const int got = port_.ReadBytes(arrived_.data(), waiting);
    arrived_.resize(static_cast<std::size_t>(std::max(got, 0)));
    arrivedAt_ = 0;
    return got > 0;
}
