#include "captureTrace.h"

#include "catalogue.h"

#include <cstdio>
#include <string_view>

namespace capture {

namespace {

constexpr std::string_view kRequestStart = "@010000";
constexpr std::size_t kAddressLength = 4;
constexpr std::size_t kSequenceLength = 4;
constexpr std::size_t kCrcLength = 4;
constexpr std::size_t kPageAddressDigits = 8;
constexpr std::size_t kPageCountDigits = 4;

struct Named {
    const char* code;
    const char* name;
};

// Longer codes first, so that a code that begins another is tried after it.
constexpr Named kCommands[] = {
    {cmd::RemoteClose, "remote close"},
    {cmd::PassThroughCode, "pass-through to the remote"},
    {cmd::UnitList, "unit list"},
    {cmd::TerminalList, "terminal list"},
    {cmd::UpgradeRunStart, "upgrade run start"},
    {cmd::UpgradeRunEnd, "upgrade run end"},
    {cmd::OnlineMapFirst, "online map 1"},
    {cmd::OnlineMapSecond, "online map 2"},
    {cmd::EnterUpgrade01, "enter upgrade mode (01)"},
    {cmd::FastPollStart, "fast-poll start"},
    {cmd::FastPollCounters, "fast-poll counters"},
    {cmd::Port2Rs232, "port 2 RS-232"},
    {cmd::Port2Rs485, "port 2 RS-485"},
    {cmd::StatusPoll, "status poll"},
    {cmd::IdentifyCode, "identify"},
    {cmd::AcknowledgeCode, "acknowledge"},
    {cmd::NewLaCode, "new LA"},
    {cmd::IdentifyBoundary, "identify boundary"},
    {cmd::Reset, "reset"},
    {cmd::ClearMemory, "clear memory"},
    {cmd::UnitInfo, "unit information"},
    {cmd::DefaultMessageCode, "default message"},
    {cmd::ControllerUpgradeEnd, "controller upgrade end"},
    {cmd::ControllerUpgradeStart, "controller upgrade start"},
    {cmd::EnterUpgrade, "enter upgrade mode"},
    {cmd::FlashStatus, "flash status"},
    {cmd::EraseCode, "erase"},
    {cmd::WritePageCode, "write page"},
};

bool isHex(std::string_view text) {
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    return !text.empty();
}

unsigned long hexValue(std::string_view text) {
    return std::stoul(std::string(text), nullptr, 16);
}

std::string formatted(const char* format, unsigned long value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// "E3" + 8 digits of address + 4 of count + the bytes.
std::string pageText(std::string_view fields) {
    const std::string_view address = fields.substr(0, kPageAddressDigits);
    const std::string_view bytes = fields.substr(std::min(fields.size(), kPageAddressDigits));
    const std::string_view count = bytes.substr(0, kPageCountDigits);
    if (address.size() < kPageAddressDigits || !isHex(address)) return "write page";
    std::string text = "page " + formatted("0x%04lX", hexValue(address));
    if (count.size() == kPageCountDigits && isHex(count))
        text += " (" + std::to_string(hexValue(count)) + " bytes)";
    return text;
}

// What the catalogue knows of the fields after a code.
std::string fieldsOf(std::string_view code, std::string_view fields) {
    if (code == cmd::EraseCode) return "erase sectors 0x" + std::string(fields);
    if (code == cmd::WritePageCode) return pageText(fields);
    if (code == cmd::AcknowledgeCode && fields.size() >= 8)
        return "acknowledge " + std::string(fields.substr(0, 8));
    if (code == cmd::NewLaCode && fields.size() >= 10)
        return "new LA " + std::string(fields.substr(8, 2)) + " for " +
               std::string(fields.substr(0, 8));
    if (code == cmd::PassThroughCode && fields.size() >= 4)
        return "pass-through wait " + std::string(fields.substr(0, 2)) + ", remote request " +
               std::string(fields.substr(2, 2));
    return {};
}

} // namespace

std::optional<RequestParts> splitRequest(const std::string& frame) {
    std::string_view text = frame;
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    const std::size_t head = kRequestStart.size() + kAddressLength + kSequenceLength;
    if (!text.starts_with(kRequestStart) || text.size() < head + kCrcLength) return std::nullopt;
    return RequestParts{
        std::string(text.substr(kRequestStart.size(), kAddressLength)),
        std::string(text.substr(kRequestStart.size() + kAddressLength, kSequenceLength)),
        std::string(text.substr(head, text.size() - head - kCrcLength))};
}

std::string describeCommand(const std::string& command) {
    const std::string_view text = command;
    for (const Named& named : kCommands) {
        const std::string_view code = named.code;
        if (!text.starts_with(code)) continue;
        const std::string fields = fieldsOf(code, text.substr(code.size()));
        return std::string(code) + " " + (fields.empty() ? named.name : fields);
    }
    return text.substr(0, 2).empty() ? std::string("(no command)") : std::string(text.substr(0, 2));
}

std::string describeRequest(const std::string& frame) {
    const std::optional<RequestParts> parts = splitRequest(frame);
    if (!parts) return printable(frame);
    return parts->address + " " + describeCommand(parts->command);
}

std::string printable(const std::string& bytes) {
    std::string text;
    for (unsigned char c : bytes) {
        if (c == '\r')
            text += "\\r";
        else if (c < 0x20 || c >= 0x7F)
            text += formatted("\\x%02lX", c);
        else
            text.push_back(static_cast<char>(c));
    }
    return text;
}

std::string traceLine(const Record& record) {
    char time[40];
    std::snprintf(time, sizeof time, "%12.3f ms  ", static_cast<double>(record.t) / 1000.0);
    const std::string line = time;
    switch (record.event) {
    case Event::Start:
        return line + "== start " + record.operation;
    case Event::End:
        return line + "== end " + (record.ended ? record.ended->describe() : "(no outcome told)");
    case Event::Request:
        return line + "-> " + describeRequest(record.frame);
    case Event::Timeout:
        return line + "<- time-out after " + std::to_string(record.timeoutMs) + " ms";
    case Event::Reply:
        return line + "<- " + printable(record.bytes) + " (" + outcomeName(record.outcome) + ")";
    }
    return line;
}

std::string headerText(const Header& header) {
    std::string text = "capture of " + header.tool + ", started " + header.started + "\n";
    text += "port " + header.port + ", " + std::to_string(header.baud) +
            " baud, minimum time-out " + std::to_string(header.minTimeoutMs) +
            " ms, extra attempts " + std::to_string(header.extraAttempts) + "\n";
    text += "operation:";
    for (const std::string& argument : header.arguments)
        text += " " + argument;
    text += "\n";
    for (const FirmwareFile& file : header.firmware)
        text += "firmware " + file.name + " sha256 " + file.sha256 + "\n";
    return text;
}

} // namespace capture
