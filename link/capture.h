#pragma once
// A field capture: one bus's run written as it happens, so that it can be replayed against the
// simulator at a desk. JSON Lines, one line a record, each flushed before the next frame goes out:
// a run cut by a pulled line or a killed process leaves a file readable to its last whole line.
//
//   {"capture":1,"tool":…,"port":…,"baud":…,"minTimeoutMs":…,"extraAttempts":…,
//    "operation":…,"arguments":[…],"firmware":[{"name":…,"sha256":…}],"started":"…Z"}
//   {"t":µs,"event":"start","operation":…}
//   {"t":µs,"event":"request","frame":"@010000…\r"}
//   {"t":µs,"event":"reply","hex":"25…0D","outcome":"accepted"}   every byte the wait read
//   {"t":µs,"event":"timeout","ms":…}                              nothing came
//   {"t":µs,"event":"end","outcome":{"kind":…,"reason":…,"unit":…}}
//
// It holds what crossed the line and the options of the run: addresses and versions, no key.

#include "exchangeResult.h"
#include "outcome.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace capture {

inline constexpr int kFormatVersion = 1;

struct FirmwareFile {
    std::string name;
    std::string sha256; // lower-case hex
};

struct Header {
    int format = kFormatVersion;
    std::string tool; // "nexalo-cli 6.8"
    std::string port; // as the operator gave it
    std::uint32_t baud = 38400;
    std::uint16_t minTimeoutMs = 0;
    int extraAttempts = 0;
    std::string operation;              // the command: "upgrade", "site", …
    std::vector<std::string> arguments; // the command and its options, as given
    std::vector<FirmwareFile> firmware;
    std::string started; // UTC, "2026-12-09T10:15:03Z"
};

// Raised when the capture cannot be written: the run it records ends, as with the comms log.
class WriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Writer {
public:
    // Creates (or replaces) the file and writes the header. Throws WriteError.
    Writer(const std::string& path, const Header& header);
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    void request(const std::string& frame);
    // What a wait for a reply read, byte for byte, and how the wait ended; an empty wait that
    // ended on its time-out is a time-out of timeoutMs.
    void reply(const std::string& bytes, ExchangeOutcome outcome, std::uint64_t timeoutMs);
    void operationStart(const std::string& operation);
    // The outcome the run ended with; none when the command does not tell one.
    void operationEnd(const std::optional<Outcome>& outcome);
    const std::string& path() const { return path_; }

private:
    void writeLine(const std::string& line);
    std::uint64_t elapsedUs() const;

    std::string path_;
    std::FILE* file_ = nullptr;
    std::chrono::steady_clock::time_point start_;
};

// A reply record names how its wait ended as outcomeName does ("accepted", "bad CRC", …).
std::optional<ExchangeOutcome> exchangeOutcomeNamed(const std::string& name);
// The header and the end marker's outcome as JSON text, for the writer and the tests alike.
std::string headerLine(const Header& header);

} // namespace capture
