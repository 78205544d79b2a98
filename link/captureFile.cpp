#include "captureFile.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>

namespace capture {

namespace {

using nlohmann::json;

// A field of a record is wrong: said with its line by the reader.
struct Bad {
    std::string what;
};

const json& member(const json& object, const char* key) {
    auto found = object.find(key);
    if (found == object.end()) throw Bad{std::string("no \"") + key + "\""};
    return *found;
}

std::string text(const json& object, const char* key) {
    const json& value = member(object, key);
    if (!value.is_string()) throw Bad{std::string("\"") + key + "\" is not text"};
    return value.get<std::string>();
}

std::uint64_t count(const json& object, const char* key) {
    const json& value = member(object, key);
    if (!value.is_number_unsigned() && !(value.is_number_integer() && value.get<long long>() >= 0))
        throw Bad{std::string("\"") + key + "\" is not a whole number"};
    return value.get<std::uint64_t>();
}

int digitOf(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string bytesOfHex(const std::string& hex) {
    if (hex.size() % 2 != 0) throw Bad{"reply bytes are not hex (an odd number of digits)"};
    std::string bytes;
    bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = digitOf(hex[i]), low = digitOf(hex[i + 1]);
        if (high < 0 || low < 0) throw Bad{"reply bytes are not hex"};
        bytes.push_back(static_cast<char>(high * 16 + low));
    }
    return bytes;
}

std::optional<OutcomeKind> outcomeKindNamed(const std::string& name) {
    for (OutcomeKind kind : {OutcomeKind::Completed, OutcomeKind::Refused, OutcomeKind::Failed,
                             OutcomeKind::Stopped, OutcomeKind::LineLost, OutcomeKind::Error})
        if (name == outcomeName(kind)) return kind;
    return std::nullopt;
}

std::optional<Outcome> endOutcome(const json& record) {
    const json& value = member(record, "outcome");
    if (value.is_null()) return std::nullopt;
    if (!value.is_object()) throw Bad{"\"outcome\" is not an object"};
    const std::optional<OutcomeKind> kind = outcomeKindNamed(text(value, "kind"));
    if (!kind) throw Bad{"unknown outcome \"" + text(value, "kind") + "\""};
    Outcome outcome;
    outcome.kind = *kind;
    auto reason = value.find("reason");
    if (reason != value.end() && !reason->is_null()) {
        if (!reason->is_string()) throw Bad{"\"reason\" is not text"};
        outcome.reason = reason->get<std::string>();
    }
    auto unit = value.find("unit");
    if (unit != value.end() && !unit->is_null()) {
        if (!unit->is_string()) throw Bad{"\"unit\" is not text"};
        outcome.unit = unit->get<std::string>();
    }
    return outcome;
}

Header headerOf(const json& line) {
    if (!line.is_object() || !line.contains("capture"))
        throw Bad{"not a capture (its first line has no \"capture\")"};
    Header header;
    const std::uint64_t format = count(line, "capture");
    if (format > static_cast<std::uint64_t>(kFormatVersion))
        throw Bad{"capture format " + std::to_string(format) + " is newer than this tool reads (" +
                  std::to_string(kFormatVersion) + ")"};
    header.format = static_cast<int>(format);
    header.tool = text(line, "tool");
    header.port = text(line, "port");
    header.baud = static_cast<std::uint32_t>(count(line, "baud"));
    header.minTimeoutMs = static_cast<std::uint16_t>(count(line, "minTimeoutMs"));
    header.extraAttempts =
        static_cast<int>(std::min<std::uint64_t>(count(line, "extraAttempts"), 99));
    header.operation = text(line, "operation");
    const json& arguments = member(line, "arguments");
    if (!arguments.is_array()) throw Bad{"\"arguments\" is not a list"};
    for (const json& argument : arguments) {
        if (!argument.is_string()) throw Bad{"an argument is not text"};
        header.arguments.push_back(argument.get<std::string>());
    }
    const json& firmware = member(line, "firmware");
    if (!firmware.is_array()) throw Bad{"\"firmware\" is not a list"};
    for (const json& file : firmware) {
        if (!file.is_object()) throw Bad{"a firmware file is not an object"};
        header.firmware.push_back({text(file, "name"), text(file, "sha256")});
    }
    header.started = text(line, "started");
    return header;
}

Record recordOf(const json& line) {
    if (!line.is_object()) throw Bad{"not a record (not an object)"};
    Record record;
    record.t = count(line, "t");
    const std::string event = text(line, "event");
    if (event == "request") {
        record.event = Event::Request;
        record.frame = text(line, "frame");
    } else if (event == "reply") {
        record.event = Event::Reply;
        record.bytes = bytesOfHex(text(line, "hex"));
        const std::optional<ExchangeOutcome> outcome = exchangeOutcomeNamed(text(line, "outcome"));
        if (!outcome) throw Bad{"unknown reply outcome \"" + text(line, "outcome") + "\""};
        record.outcome = *outcome;
    } else if (event == "timeout") {
        record.event = Event::Timeout;
        record.timeoutMs = count(line, "ms");
    } else if (event == "start") {
        record.event = Event::Start;
        record.operation = text(line, "operation");
    } else if (event == "end") {
        record.event = Event::End;
        record.ended = endOutcome(line);
    } else {
        throw Bad{"unknown event \"" + event + "\""};
    }
    return record;
}

// One line's record into capture; Bad when it is not one.
void take(Capture& capture, const std::string& line, std::size_t number) {
    const json parsed = json::parse(line, nullptr, false);
    if (parsed.is_discarded()) throw Bad{"not JSON"};
    if (number == 1) {
        capture.header = headerOf(parsed);
        return;
    }
    Record record = recordOf(parsed);
    record.line = number;
    capture.records.push_back(std::move(record));
}

// Lines cut from text as they come, none longer than the limit.
class Lines {
public:
    explicit Lines(const std::string& text) : text_(text) {}
    // The next line (without its line end); false at the end. whole: it had its line end.
    bool next(std::string& line, bool& whole) {
        if (at_ >= text_.size()) return false;
        std::size_t end = text_.find('\n', at_);
        whole = end != std::string::npos;
        if (!whole) end = text_.size();
        line.assign(text_, at_, std::min(end - at_, kMaxLineBytes + 1));
        at_ = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return true;
    }

private:
    const std::string& text_;
    std::size_t at_ = 0;
};

} // namespace

std::optional<Outcome> Capture::endedWith() const {
    for (auto record = records.rbegin(); record != records.rend(); ++record)
        if (record->event == Event::End) return record->ended;
    return std::nullopt;
}

bool Capture::ended() const {
    return !records.empty() && records.back().event == Event::End;
}

std::size_t Capture::requestCount() const {
    std::size_t requests = 0;
    for (const Record& record : records)
        requests += record.event == Event::Request;
    return requests;
}

Read readCaptureText(const std::string& text, const std::string& name) {
    Capture capture;
    Lines lines(text);
    std::string line;
    bool whole = true;
    std::size_t number = 0;
    while (lines.next(line, whole)) {
        ++number;
        try {
            if (line.size() > kMaxLineBytes) throw Bad{"longer than any capture line"};
            take(capture, line, number);
        } catch (const Bad& bad) {
            // A run cut while it wrote leaves its last line torn: what stands before it holds.
            if (!whole && number > 1) {
                capture.notes.push_back(name + " line " + std::to_string(number) +
                                        ": a torn last line was skipped");
                break;
            }
            return {std::nullopt, name + " line " + std::to_string(number) + ": " + bad.what};
        } catch (const json::exception& wrong) {
            return {std::nullopt, name + " line " + std::to_string(number) + ": " + wrong.what()};
        }
    }
    if (number == 0) return {std::nullopt, name + ": empty, not a capture"};
    return {std::move(capture), {}};
}

Read readCapture(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return {std::nullopt, "cannot read " + path};
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return readCaptureText(text, path);
}

} // namespace capture
