#include "capture.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstring>

namespace capture {

namespace {

std::string hexOf(const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (unsigned char byte : bytes) {
        hex.push_back(kDigits[byte >> 4]);
        hex.push_back(kDigits[byte & 0x0F]);
    }
    return hex;
}

constexpr ExchangeOutcome kNamedOutcomes[] = {
    ExchangeOutcome::Accepted, ExchangeOutcome::NotAwaited,    ExchangeOutcome::TimedOut,
    ExchangeOutcome::BadCrc,   ExchangeOutcome::StaleSequence, ExchangeOutcome::WriteFailed,
    ExchangeOutcome::PortError};

} // namespace

std::optional<ExchangeOutcome> exchangeOutcomeNamed(const std::string& name) {
    for (ExchangeOutcome outcome : kNamedOutcomes)
        if (name == outcomeName(outcome)) return outcome;
    return std::nullopt;
}

std::string headerLine(const Header& header) {
    nlohmann::json firmware = nlohmann::json::array();
    for (const FirmwareFile& file : header.firmware)
        firmware.push_back({{"name", file.name}, {"sha256", file.sha256}});
    const nlohmann::json line = {{"capture", header.format},
                                 {"tool", header.tool},
                                 {"port", header.port},
                                 {"baud", header.baud},
                                 {"minTimeoutMs", header.minTimeoutMs},
                                 {"extraAttempts", header.extraAttempts},
                                 {"operation", header.operation},
                                 {"arguments", header.arguments},
                                 {"firmware", firmware},
                                 {"started", header.started}};
    // A port or a file name need not be UTF-8: replaced, never a throw in the middle of a run.
    return line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

Writer::Writer(const std::string& path, const Header& header)
    : path_(path), start_(std::chrono::steady_clock::now()) {
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr)
        throw WriteError("cannot write the capture " + path + ": " + std::strerror(errno));
    writeLine(headerLine(header));
}

Writer::~Writer() {
    if (file_ != nullptr) std::fclose(file_);
}

std::uint64_t Writer::elapsedUs() const {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                          std::chrono::steady_clock::now() - start_)
                                          .count());
}

// Each record reaches the file before the run goes on, so a cut run keeps all it did.
void Writer::writeLine(const std::string& line) {
    const std::string record = line + "\n";
    if (std::fwrite(record.data(), 1, record.size(), file_) != record.size() ||
        std::fflush(file_) != 0)
        throw WriteError("cannot write the capture " + path_ + ": " + std::strerror(errno));
}

void Writer::request(const std::string& frame) {
    const nlohmann::json line = {{"t", elapsedUs()}, {"event", "request"}, {"frame", frame}};
    writeLine(line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

void Writer::reply(const std::string& bytes, ExchangeOutcome outcome, std::uint64_t timeoutMs) {
    nlohmann::json line;
    if (bytes.empty() && outcome == ExchangeOutcome::TimedOut)
        line = {{"t", elapsedUs()}, {"event", "timeout"}, {"ms", timeoutMs}};
    else
        line = {{"t", elapsedUs()},
                {"event", "reply"},
                {"hex", hexOf(bytes)},
                {"outcome", outcomeName(outcome)}};
    writeLine(line.dump());
}

void Writer::operationStart(const std::string& operation) {
    writeLine(nlohmann::json{{"t", elapsedUs()}, {"event", "start"}, {"operation", operation}}.dump(
        -1, ' ', false, nlohmann::json::error_handler_t::replace));
}

void Writer::operationEnd(const std::optional<Outcome>& outcome) {
    nlohmann::json ended = nullptr;
    if (outcome)
        ended = {
            {"kind", outcome->name()},
            {"reason",
             outcome->reason.empty() ? nlohmann::json() : nlohmann::json(outcome->reason)},
            {"unit", outcome->unit.empty() ? nlohmann::json() : nlohmann::json(outcome->unit)}};
    writeLine(nlohmann::json{{"t", elapsedUs()}, {"event", "end"}, {"outcome", ended}}.dump(
        -1, ' ', false, nlohmann::json::error_handler_t::replace));
}

} // namespace capture
