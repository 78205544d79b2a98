#include "trust/history.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>
#include <ctime>
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
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
#ifdef _WIN32
    gmtime_s(&utc, &now);
#else
    gmtime_r(&now, &utc);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
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
