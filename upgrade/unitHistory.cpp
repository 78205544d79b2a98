#include "upgrade/unitHistory.h"

#include "link/serialPort.h"
#include "trust/history.h"

#include <cstdio>

namespace {

std::string versionText(std::uint16_t version) {
    char text[16];
    std::snprintf(text, sizeof text, "%d.%.2d", version >> 8, version & 0xFF);
    return text;
}

} // namespace

std::string HistoryPortName(TSerialPort& port) {
    if (!port.devicePath().empty()) return port.devicePath();
    return "COM" + std::to_string(static_cast<int>(port.ComPort()) + 1);
}

void UnitHistory::identified(std::uint32_t fixedAddress, int productId,
                             std::optional<std::uint16_t> before) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(fixedAddress));
    fixedAddress_ = fixedAddress == 0 ? std::string() : text;
    productId_ = productId;
    before_ = before ? std::optional(versionText(*before)) : std::nullopt;
}

void UnitHistory::started(const FirmwareImage& image) {
    started_ = true;
    append(kHistoryStarted, {}, image);
}

void UnitHistory::ended(const Outcome& outcome, const FirmwareImage& image) {
    const bool trustRefused = outcome.kind == OutcomeKind::Refused && !image.refusal.empty();
    if (!started_ && !trustRefused) return;
    started_ = false;
    append(outcome.name(), outcome.reason, image);
}

void UnitHistory::append(const char* outcome, const std::string& reason,
                         const FirmwareImage& image) {
    HistoryRecord record;
    record.time = HistoryTimeNow();
    record.port = HistoryPortName(ctx_.link.port());
    record.address = address_;
    record.fixedAddress = fixedAddress_;
    record.productId = productId_;
    record.before = before_;
    record.file = image.fileName;
    record.fileSha256 = image.fileSha256;
    if (imageHasVersion_ && image.refusal.empty())
        record.fileVersion = versionText(image.fileVersion);
    record.outcome = outcome;
    if (!reason.empty()) record.reason = reason;
    const std::string problem = AppendHistoryRecord(record);
    if (!problem.empty()) ctx_.console.status("History not written: " + problem);
}
