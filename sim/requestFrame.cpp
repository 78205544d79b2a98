#include "sim/requestFrame.h"

#include "sim/frameCrc.h"
#include "sim/hexCodec.h"

namespace sim {

namespace {
constexpr std::string_view kHeader = "@010000";
constexpr std::size_t kAddressWidth = 4, kSequenceWidth = 4, kCrcWidth = 4;
constexpr std::size_t kCommandStart = kHeader.size() + kAddressWidth + kSequenceWidth;
} // namespace

std::optional<Request> parseRequest(std::string_view frame) {
    if (frame.size() < kCommandStart + kCrcWidth) return std::nullopt;
    if (frame.substr(0, kHeader.size()) != kHeader) return std::nullopt;
    std::string_view body = frame.substr(0, frame.size() - kCrcWidth);
    std::string_view crc = frame.substr(frame.size() - kCrcWidth);
    if (crc != hex4(frameCrc(body))) return std::nullopt;
    if (!hexAt(frame, kHeader.size() + kAddressWidth, kSequenceWidth)) return std::nullopt;
    Request request;
    request.address = std::string(frame.substr(kHeader.size(), kAddressWidth));
    request.sequence = std::string(frame.substr(kHeader.size() + kAddressWidth, kSequenceWidth));
    request.command = std::string(body.substr(kCommandStart));
    return request;
}

std::optional<std::string> FrameAssembler::push(char byte) {
    if (byte == '@') {
        buffer_.assign(1, byte);
        collecting_ = true;
        return std::nullopt;
    }
    if (!collecting_) return std::nullopt;
    if (byte == '\r') {
        collecting_ = false;
        std::string frame;
        frame.swap(buffer_);
        return frame;
    }
    if (buffer_.size() >= MaxFrame) {
        reset();
        return std::nullopt;
    }
    buffer_.push_back(byte);
    return std::nullopt;
}

void FrameAssembler::reset() {
    buffer_.clear();
    collecting_ = false;
}

} // namespace sim
