#pragma once
// The history of unit writes: nexalo-history.jsonl in the working folder, one JSON object a
// line. A "started" record is on disk before a unit is put into upgrade mode and a second
// one when its procedure ends, so a run cut off by a power cut still says which unit may sit
// in its boot loader.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

inline constexpr const char* kHistoryFileName = "nexalo-history.jsonl";
inline constexpr const char* kHistoryStarted = "started";

struct HistoryRecord {
    std::string time; // UTC, "2026-12-08T20:15:03Z"
    std::string port;
    std::string address;      // CCTT the unit is reached by
    std::string fixedAddress; // eight hex digits; empty when not known
    int productId = 0;
    std::optional<std::string> before; // version before, "1.05"
    std::string file;
    std::string fileSha256;
    std::optional<std::string> fileVersion;
    std::string outcome; // "started", "completed", "refused", "failed", "stopped", ...
    std::optional<std::string> reason;
    std::optional<std::string> after; // version a survey read afterwards
};

// The current UTC time in the records' form.
std::string HistoryTimeNow();

// Appends record as one line and forces it to disk before returning. A last line left without
// its line end (a process killed mid-write) is ended first, so the record starts on a line
// of its own. Empty on success, else why the history could not be written.
std::string AppendHistoryRecord(const HistoryRecord& record,
                                const std::string& path = kHistoryFileName);

struct HistoryRead {
    bool exists = false;
    std::vector<HistoryRecord> records; // in file order, oldest first
    std::vector<std::string> notes;     // one per line that was skipped, saying which and why
};

// Every readable record of the file; a line that is not a record is skipped with a note.
HistoryRead ReadHistory(const std::string& path = kHistoryFileName);

// The records of the unit with that fixed address (eight hex digits, any case), in order.
std::vector<HistoryRecord> RecordsOfUnit(const std::vector<HistoryRecord>& records,
                                         const std::string& fixedAddress);

// One record as a line of text for the operator: time, port, address, fixed address,
// product, version before, file and its version, digest, outcome, reason, version after.
std::string HistorySummary(const HistoryRecord& record);

// One record as its line (without the line end), and back.
std::string HistoryLine(const HistoryRecord& record);
std::optional<HistoryRecord> ParseHistoryLine(const std::string& line);
