#pragma once
// A capture's frames in words: the command's name from the catalogue and the fields it knows,
// for "nexalo-cli capture show" and for saying where a replay went its own way.

#include "captureFile.h"

#include <optional>
#include <string>

namespace capture {

// A request frame's parts: "@010000" + address + sequence + command + CRC + carriage return.
struct RequestParts {
    std::string address;  // 4 characters
    std::string sequence; // 4 hex digits
    std::string command;  // what follows the sequence number, without the CRC
};
std::optional<RequestParts> splitRequest(const std::string& frame);

// "E3 page 0x0400 (128 bytes)", "E2 erase sectors 0x7F", "01 status poll".
std::string describeCommand(const std::string& command);
// "0101 E3 page 0x0400 (128 bytes)", or the frame as text when it is not a request's.
std::string describeRequest(const std::string& frame);
// Bytes as text, control characters as \r, \xNN.
std::string printable(const std::string& bytes);

// One line a record: "    12.345 ms  -> 0101 E3 page 0x0400 (128 bytes)".
std::string traceLine(const Record& record);
// The header in a few lines.
std::string headerText(const Header& header);

} // namespace capture
