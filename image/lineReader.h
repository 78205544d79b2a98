#pragma once
// Line-by-line reading of firmware text files that stays safe on lines of any length: a line
// is kept up to kMaxLineLength characters and the rest of it is skipped and flagged.

#include <cstdint>
#include <istream>
#include <string>

class LineReader {
public:
    // Longer than any record the readers know (an S1 record with count 0xFF, 514 characters).
    static constexpr std::size_t kMaxLineLength = 530;

    explicit LineReader(std::istream& in) : in_(in) {}

    // The next line without its end (LF or CR LF); false when the input is exhausted.
    bool next(std::string& line);
    int lineNumber() const { return lineNumber_; }
    bool lineTooLong() const { return tooLong_; }

private:
    std::istream& in_;
    int lineNumber_ = 0;
    bool tooLong_ = false;
};

// The value of the hex digits at 1-based position of line; digits past its end are missing
// (as HexToWord reads a shorter text), never read out of bounds.
std::uint32_t HexField(const std::string& line, std::size_t position, std::size_t digits);

// After a reader stopped at stopLine: whether that line or any line still in reader carries
// data, in which case the image holds only part of the file.
bool DataRecordsLeft(const std::string& stopLine, LineReader& reader,
                     bool (*isDataRecord)(const std::string&));
