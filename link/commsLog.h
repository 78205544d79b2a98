#pragma once
// The frame log: one line per request and per reply, appended to a file in the working folder.

#include <stdexcept>
#include <string>

// Raised when the comms log cannot be opened or written; it ends the running operation,
// which the operation runner catches (it never reaches the event loop).
class CommsLogError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Appends line and a CRLF line end to the file, opening and closing it for this one line so
// every line is on disk before the next frame goes out. Throws CommsLogError on failure.
void appendCommsLogLine(const std::string& fileName, const std::string& line);

// The comms log of one bus among several run at once: "qrmcomlog-" + the port + ".txt", the
// port's characters other than letters, digits, "." and "-" each made "_" ("COM2" gives
// qrmcomlog-COM2.txt, "/dev/ttyUSB0" qrmcomlog-_dev_ttyUSB0.txt).
std::string commsLogNameFor(const std::string& baseName, const std::string& port);
