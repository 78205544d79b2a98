#pragma once
// The history records of one unit's write (trust/history.h): "started" is on disk before the
// unit is asked into upgrade mode, the end record follows when its procedure is done with it,
// and a file that the trust check refused leaves a "refused" record of its own.

#include "image/firmwareImage.h"
#include "link/operationContext.h"
#include "link/outcome.h"

#include <cstdint>
#include <optional>
#include <string>

class UnitHistory {
public:
    UnitHistory(OperationContext& ctx, std::string address)
        : ctx_(ctx), address_(std::move(address)) {}

    // What identification read of the unit; a unit in its boot loader has no version before.
    void identified(std::uint32_t fixedAddress, int productId, std::optional<std::uint16_t> before);
    // A remote's image carries no version the tool reads: its records name none.
    void imageWithoutVersion() { imageHasVersion_ = false; }
    void started(const FirmwareImage& image);
    // The end record of a started write with the procedure's outcome; a write never started
    // leaves one only when the trust check refused its file.
    void ended(const Outcome& outcome, const FirmwareImage& image);

private:
    void append(const char* outcome, const std::string& reason, const FirmwareImage& image);

    OperationContext& ctx_;
    std::string address_;
    std::string fixedAddress_;
    int productId_ = 0;
    std::optional<std::string> before_;
    bool started_ = false;
    bool imageHasVersion_ = true;
};

// The port a record names: the device path given, else COMn.
std::string HistoryPortName(TSerialPort& port);
