#include "image/lineReader.h"

#include "link/crc.h"

bool LineReader::next(std::string& line) {
    line.clear();
    tooLong_ = false;
    std::streambuf* buffer = in_.rdbuf();
    if (buffer == nullptr) return false;
    int c = buffer->sbumpc();
    if (c == std::char_traits<char>::eof()) return false;
    ++lineNumber_;
    while (c != std::char_traits<char>::eof() && c != '\n') {
        if (line.size() < kMaxLineLength + 1)
            line.push_back(static_cast<char>(c));
        else
            tooLong_ = true;
        c = buffer->sbumpc();
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > kMaxLineLength) {
        line.resize(kMaxLineLength);
        tooLong_ = true;
    }
    return true;
}

std::uint32_t HexField(const std::string& line, std::size_t position, std::size_t digits) {
    if (position == 0 || position > line.size()) return 0;
    return HexToWord(line.substr(position - 1, digits));
}

bool DataRecordsLeft(const std::string& stopLine, LineReader& reader,
                     bool (*isDataRecord)(const std::string&)) {
    if (isDataRecord(stopLine)) return true;
    std::string line;
    while (reader.next(line))
        if (isDataRecord(line)) return true;
    return false;
}
