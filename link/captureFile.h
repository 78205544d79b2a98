#pragma once
// Reading a capture back (link/capture.h has its format). A file from outside the process: every
// field is checked, and what is wrong is said with the number of its line, never a crash.

#include "capture.h"
#include "exchangeResult.h"
#include "outcome.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace capture {

enum class Event { Start, Request, Reply, Timeout, End };

struct Record {
    std::size_t line = 0; // 1-based line of the file
    std::uint64_t t = 0;  // microseconds from the start
    Event event = Event::Request;
    std::string frame;                                   // a request, carriage return included
    std::string bytes;                                   // a reply, as read from the line
    ExchangeOutcome outcome = ExchangeOutcome::TimedOut; // a reply's
    std::uint64_t timeoutMs = 0;                         // a time-out's
    std::string operation;                               // a start's
    std::optional<Outcome> ended;                        // an end's, when it tells one
};

struct Capture {
    Header header;
    std::vector<Record> records;
    std::vector<std::string> notes; // what was passed over: a torn last line
    // The outcome the last operation of the file ended with; none when it did not end.
    std::optional<Outcome> endedWith() const;
    bool ended() const;
    std::size_t requestCount() const;
};

struct Read {
    std::optional<Capture> capture;
    std::string error; // "capture.jsonl line 12: reply bytes are not hex"
};

// Longest line read; a longer one is not a capture's.
inline constexpr std::size_t kMaxLineBytes = 1 << 20;

Read readCapture(const std::string& path);
// The same from text in memory; name stands for the file in errors.
Read readCaptureText(const std::string& text, const std::string& name);

} // namespace capture
