#include "trust/history.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>
#include <fstream>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

using nlohmann::json;

json orNull(const std::optional<std::string>& text) {
    return text ? json(*text) : json(nullptr);
}

std::optional<std::string> optionalText(const json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || found->is_null()) return std::nullopt;
    if (!found->is_string()) throw json::type_error::create(302, key, nullptr);
    return found->get<std::string>();
}

std::string text(const json& object, const char* key) {
    return optionalText(object, key).value_or("");
}

// Whether the file ends in the middle of a line: the last write was cut short.
bool endsMidLine(std::FILE* file) {
    if (std::fseek(file, -1, SEEK_END) != 0) return false; // empty
    const int last = std::fgetc(file);
    std::fseek(file, 0, SEEK_END);
    return last != '\n' && last != EOF;
}

bool flushToDisk(std::FILE* file) {
    if (std::fflush(file) != 0) return false;
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

} // namespace

std::string HistoryTimeNow() {
    using namespace std::chrono;
    const auto now = floor<seconds>(system_clock::now());
    const auto today = floor<days>(now);
    const year_month_day date{today};
    const hh_mm_ss time{now - today};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<int>(time.hours().count()),
                  static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return text;
}

std::string HistoryLine(const HistoryRecord& record) {
    const json line = {
        {"time", record.time},
        {"port", record.port},
        {"address", record.address},
        {"fixedAddress", record.fixedAddress.empty() ? json(nullptr) : json(record.fixedAddress)},
        {"productId", record.productId},
        {"before", orNull(record.before)},
        {"file", record.file},
        {"fileSha256", record.fileSha256},
        {"fileVersion", orNull(record.fileVersion)},
        {"outcome", record.outcome},
        {"reason", orNull(record.reason)},
        {"after", orNull(record.after)}};
    // Names and reasons come from files and units: anything that is not UTF-8 is replaced
    // rather than ending the write.
    return line.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::optional<HistoryRecord> ParseHistoryLine(const std::string& line) {
    const json object = json::parse(line, nullptr, false);
    if (!object.is_object() || !object.contains("outcome")) return std::nullopt;
    try {
        HistoryRecord record;
        record.time = text(object, "time");
        record.port = text(object, "port");
        record.address = text(object, "address");
        record.fixedAddress = text(object, "fixedAddress");
        const auto product = object.find("productId");
        if (product != object.end() && product->is_number_integer())
            record.productId = product->get<int>();
        record.before = optionalText(object, "before");
        record.file = text(object, "file");
        record.fileSha256 = text(object, "fileSha256");
        record.fileVersion = optionalText(object, "fileVersion");
        record.outcome = text(object, "outcome");
        record.reason = optionalText(object, "reason");
        record.after = optionalText(object, "after");
        return record;
    } catch (const json::exception&) {
        return std::nullopt;
    }
}

std::string AppendHistoryRecord(const HistoryRecord& record, const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "a+b");
    if (file == nullptr) return "the history " + path + " cannot be opened";
    std::string line = HistoryLine(record) + "\n";
    if (endsMidLine(file)) line.insert(line.begin(), '\n');
    const bool written = std::fwrite(line.data(), 1, line.size(), file) == line.size();
    const bool flushed = written && flushToDisk(file);
    const bool closed = std::fclose(file) == 0;
    if (!written || !flushed || !closed) return "the history " + path + " could not be written";
    return {};
}

HistoryRead ReadHistory(const std::string& path) {
    HistoryRead read;
    std::ifstream in(path, std::ios::binary);
    if (!in) return read;
    read.exists = true;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (std::optional<HistoryRecord> record = ParseHistoryLine(line))
            read.records.push_back(std::move(*record));
        else
            read.notes.push_back(path + " line " + std::to_string(number) +
                                 " is not a record; skipped");
    }
    return read;
}

std::vector<HistoryRecord> RecordsOfUnit(const std::vector<HistoryRecord>& records,
                                         const std::string& fixedAddress) {
    const auto upper = [](std::string text) {
        for (char& c : text)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        return text;
    };
    const std::string wanted = upper(fixedAddress);
    std::vector<HistoryRecord> found;
    for (const HistoryRecord& record : records)
        if (upper(record.fixedAddress) == wanted) found.push_back(record);
    return found;
}

std::string HistorySummary(const HistoryRecord& record) {
    constexpr std::size_t kShownDigest = 12;
    std::string line = record.time + "  " + record.port + "  " + record.address + "  " +
                       (record.fixedAddress.empty() ? "--------" : record.fixedAddress) +
                       "  product " + std::to_string(record.productId) + "  " +
                       record.before.value_or("----") + " -> " + record.file;
    if (record.fileVersion) line += " V" + *record.fileVersion;
    if (!record.fileSha256.empty())
        line += " (sha256 " + record.fileSha256.substr(0, kShownDigest) + ")";
    line += "  " + record.outcome;
    if (record.reason) line += ": " + *record.reason;
    if (record.after) line += "  now " + *record.after;
    return line;
}
