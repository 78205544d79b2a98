#pragma once
// The history records of the units an upgrade procedure writes (trust/history.h), kept from the
// run's ledger of units: "started" is on disk before a unit is first asked into upgrade mode
// (a unit whose record cannot be written is refused, nothing sent), and one end record follows
// when the procedure is done with it.

#include "image/firmwareImage.h"
#include "link/operationContext.h"
#include "link/outcome.h"

#include <cstdint>
#include <optional>
#include <string>

// The port a record names: the device path given, else COMn.
std::string HistoryPortName(TSerialPort& port);

// "2.05"
std::string VersionText(std::uint16_t version);

// The file a unit is given, as its records name it; a remote's image carries no version the
// tool reads.
UnitFile UnitFileOf(const FirmwareImage& image, bool withVersion = true);

// Identification read of a unit; a unit in its boot loader has no version before.
void TellIdentified(OperationContext& ctx, const std::string& address, std::uint32_t fixedAddress,
                    int productId, std::optional<std::uint16_t> before);

// While a procedure runs, the ledger's units are recorded in the history file. Scopes nest: the
// outermost (the run of the Upgrade button, or a procedure called on its own) records, and at
// its end writes the end records of the units still open with what ended it.
class UnitHistoryScope : private UnitRecorder {
public:
    explicit UnitHistoryScope(OperationContext& ctx);
    ~UnitHistoryScope() override;
    UnitHistoryScope(const UnitHistoryScope&) = delete;
    UnitHistoryScope& operator=(const UnitHistoryScope&) = delete;

    // The procedure ended so: every unit it started and did not yet record gets its end record.
    void end(const Outcome& outcome);

private:
    std::string started(const UnitLife& unit) override;
    void ended(const UnitLife& unit, const char* outcome) override;
    std::string append(const UnitLife& unit, const char* outcome);

    OperationContext& ctx_;
    bool outermost_;
    bool ended_ = false;
};
