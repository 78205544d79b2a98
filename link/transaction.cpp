#include "transaction.h"

#include "commsLog.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace {

constexpr const char* kRequestStart = "@010000";
constexpr char kReplyStart = '%';
constexpr char kFrameEnd = '\r';
constexpr std::uint32_t kPauseBeforeRequestMs = 2;
constexpr int kWaitSliceMs = 1; // longest sleep between looks at the port
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
    reply.clear();
    clock_.sleepMs(kPauseBeforeRequestMs);
    for (;;) {
        ++sequence_; // every attempt takes a fresh number; 0xFFFF wraps to 0
        const std::string frame =
            AppendCRC(kRequestStart + address + fourHexDigits(sequence_) + command) + kFrameEnd;
        if (logging_) logLine(frame);
        port_.PurgeBuffers(true, true);
        console_.pump();
        reply.clear();
        if (port_.WriteText(frame)) PollResponse(timeout, reply);
        if (retries == 0 || !reply.empty()) return;
        --retries;
    }
}

// A frame is accepted when its CRC digits match exactly (upper case) and it answers the
// current sequence number. On acceptance, frame is left as body plus CRC.
bool Transaction::acceptFrame(std::string& frame) const {
    const std::size_t bodyLength = frame.size() > kCrcDigits ? frame.size() - kCrcDigits : 0;
    const std::string received = frame.substr(bodyLength);
    frame = AppendCRC(frame.substr(0, bodyLength));
    return frame.substr(bodyLength) == received &&
           HexToWord(field(frame, kSequencePosition, 4)) == sequence_;
}

void Transaction::PollResponse(std::uint16_t timeout, std::string& reply) {
    reply.clear();
    if (timeout == 0) return;
    const std::uint64_t limit = std::max(timeout, minimumTimeout_);
    console_.pump();
    std::string frame;
    bool collecting = false;
    bool accepted = false;
    std::uint64_t lastActivity = clock_.nowMs();
    while (!accepted && clock_.nowMs() - lastActivity <= limit) {
        console_.pump();
        std::uint8_t byte = 0;
        if (port_.BytesWaiting() <= 0 || !port_.ReadOneByte(byte)) {
            port_.WaitForInput(kWaitSliceMs);
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
        accepted = acceptFrame(frame);
        if (!accepted) {
            frame.clear();
            collecting = false;
        }
    }
    if (!accepted) frame.clear();
    if (logging_) logLine(frame);
    reply = frame;
}
