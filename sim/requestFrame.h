#pragma once
// Requests as the units take them off the line: "@010000" + address + sequence + command +
// CRC + carriage return. Anything else is line noise to a unit.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

struct Request {
    std::string address;  // 4 characters
    std::string sequence; // 4 hex digits, echoed in the reply
    std::string command;  // everything between the sequence number and the CRC
};

// A frame without its carriage return; nothing unless header, layout and CRC are right.
std::optional<Request> parseRequest(std::string_view frame);

// Cuts the incoming byte stream into frames: an "@" starts one (also in the middle of
// another), a carriage return ends it. Runs longer than the limit are dropped.
class FrameAssembler {
public:
    static constexpr std::size_t MaxFrame = 8192;

    // The frame completed by this byte, if any.
    std::optional<std::string> push(char byte);
    void reset();

private:
    std::string buffer_;
    bool collecting_ = false;
};

} // namespace sim
