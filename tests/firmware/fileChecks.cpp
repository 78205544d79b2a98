#include "fileChecks.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1; // lower case is a fault too
}

// Byte values of the hex pairs of text from position from on.
std::optional<std::vector<std::uint8_t>> pairs(const std::string& text, std::size_t from) {
    if ((text.size() - from) % 2 != 0) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = from; i < text.size(); i += 2) {
        const int high = hexDigit(text[i]), low = hexDigit(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return bytes;
}

std::vector<std::string> lines(const std::string& text, std::string& error) {
    std::vector<std::string> result;
    if (!text.empty() && text.back() != '\n') error = "last line without line end";
    if (text.find('\r') != std::string::npos) error = "carriage return in file";
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

std::uint32_t bigEndian(const std::vector<std::uint8_t>& bytes, std::size_t from, int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | bytes[from + i];
    return value;
}

} // namespace

std::vector<ScannedRecord> scanIntelHex(const std::string& text, std::string& error) {
    std::vector<ScannedRecord> records;
    std::uint32_t upper = 0;
    for (const std::string& line : lines(text, error)) {
        const auto bytes = line.starts_with(":") ? pairs(line, 1) : std::nullopt;
        if (!bytes || bytes->size() < 5 || bytes->size() != (*bytes)[0] + 5u) {
            error = "malformed record " + line;
            return records;
        }
        std::uint8_t sum = 0;
        for (std::uint8_t b : *bytes)
            sum += b;
        if (sum != 0) error = "checksum fails in " + line;
        const std::uint8_t type = (*bytes)[3];
        if (type == 0x04) upper = bigEndian(*bytes, 4, 2) << 16;
        records.push_back({line.substr(7, 2), upper | bigEndian(*bytes, 1, 2), (*bytes)[0]});
    }
    return records;
}

std::vector<ScannedRecord> scanSRecords(const std::string& text, std::string& error) {
    std::vector<ScannedRecord> records;
    for (const std::string& line : lines(text, error)) {
        const auto bytes = line.size() >= 4 && line[0] == 'S' ? pairs(line, 2) : std::nullopt;
        if (!bytes || bytes->size() != (*bytes)[0] + 1u) {
            error = "malformed record " + line;
            return records;
        }
        std::uint8_t sum = 0;
        for (std::uint8_t b : *bytes)
            sum += b;
        if (sum != 0xFF) error = "checksum fails in " + line;
        const char type = line[1];
        const int addressBytes = type == '2' || type == '8'   ? 3
                                 : type == '3' || type == '7' ? 4
                                                              : 2;
        records.push_back({line.substr(0, 2), bigEndian(*bytes, 1, addressBytes),
                           (*bytes)[0] - addressBytes - 1u});
    }
    return records;
}

std::optional<std::vector<std::uint8_t>> srecCatBinary(const std::filesystem::path& file,
                                                       bool intel, std::uint32_t base) {
    const std::filesystem::path out = file.string() + ".bin";
    std::ostringstream command;
    command << "srec_cat '" << file.string() << "' " << (intel ? "-intel" : "-motorola")
            << " -offset -0x" << std::hex << base << " -o '" << out.string() << "' -binary";
    if (std::system(command.str().c_str()) != 0) return std::nullopt;
    const std::string binary = readText(out);
    std::filesystem::remove(out);
    return std::vector<std::uint8_t>(binary.begin(), binary.end());
}

std::string readText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}
