#include "upgrade/unitHistory.h"

#include "link/serialPort.h"
#include "trust/history.h"

#include <cstdio>

std::string HistoryPortName(TSerialPort& port) {
    if (!port.devicePath().empty()) return port.devicePath();
    return "COM" + std::to_string(static_cast<int>(port.ComPort()) + 1);
}

std::string VersionText(std::uint16_t version) {
    char text[16];
    std::snprintf(text, sizeof text, "%d.%.2d", version >> 8, version & 0xFF);
    return text;
}

UnitFile UnitFileOf(const FirmwareImage& image, bool withVersion) {
    UnitFile file{image.fileName, image.fileSha256, std::nullopt};
    if (withVersion && image.refusal.empty()) file.version = VersionText(image.fileVersion);
    return file;
}

void TellIdentified(OperationContext& ctx, const std::string& address, std::uint32_t fixedAddress,
                    int productId, std::optional<std::uint16_t> before) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(fixedAddress));
    ctx.units.identified(address, fixedAddress == 0 ? std::string() : text, productId,
                         before ? std::optional(VersionText(*before)) : std::nullopt);
    if (!before) ctx.units.foundInBootLoader(address);
}

UnitHistoryScope::UnitHistoryScope(OperationContext& ctx)
    : ctx_(ctx), outermost_(!ctx.units.recording()) {
    if (outermost_) ctx_.units.record(this);
}

UnitHistoryScope::~UnitHistoryScope() {
    if (!outermost_) return;
    // A procedure left by an exception: its open units are recorded as ended by it.
    if (!ended_) end(Outcome::error("the procedure ended early"));
    ctx_.units.record(nullptr);
}

void UnitHistoryScope::end(const Outcome& outcome) {
    if (!outermost_ || ended_) return;
    ended_ = true;
    ctx_.units.endRecords(outcome.cutShort() ? outcome.name() : "");
}

std::string UnitHistoryScope::started(const UnitLife& unit) {
    return append(unit, kHistoryStarted);
}

void UnitHistoryScope::ended(const UnitLife& unit, const char* outcome) {
    const std::string problem = append(unit, outcome);
    if (!problem.empty()) ctx_.console.status("History not written: " + problem);
}

std::string UnitHistoryScope::append(const UnitLife& unit, const char* outcome) {
    HistoryRecord record;
    record.time = HistoryTimeNow();
    record.port = HistoryPortName(ctx_.link.port());
    record.address = unit.address;
    record.fixedAddress = unit.fixedAddress;
    record.productId = unit.productId;
    record.before = unit.before;
    record.file = unit.file.name;
    record.fileSha256 = unit.file.sha256;
    record.fileVersion = unit.file.version;
    record.outcome = outcome;
    const bool ends = std::string(outcome) != kHistoryStarted;
    if (ends && !unit.reason.empty() && std::string(outcome) != "completed")
        record.reason = unit.reason;
    if (ends) record.after = unit.after;
    return AppendHistoryRecord(record);
}
