#pragma once
// One-shot maintenance commands: a unit's LA by its fixed address, a controller's default
// display message and second port, clearing a controller's memory, resetting the network.
// The faces read their controls into these settings; the texts are sent as they stand.

#include "link/operationContext.h"
#include "link/outcome.h"

#include <array>
#include <string>
#include <string_view>

namespace maintenanceText {
inline constexpr char Done[] = "Done!";
inline constexpr char Failed[] = "Failed!";
inline constexpr char AreYouSure[] = "Are you sure?";
inline constexpr char ClearMemoryNotice[] = "Unit will reset then Clear Memory +/- 30sec.";
inline constexpr char Declined[] = "the operator answered No";
} // namespace maintenanceText

// Each command ends completed ("Done!" was shown, or it was sent and reports no outcome),
// failed ("Failed!" was shown, or "Failed to open COM port" and nothing was sent), refused (the
// operator answered No) or line lost.

struct SetLaSettings {
    bool controller = false;  // else a terminal
    std::string fixedAddress; // 8 characters
    std::string newLa;        // controller: "LL"; terminal: "CCTT"
};

struct DefaultMessageSettings {
    std::string controllerLa;         // 2 characters
    std::array<std::string, 3> lines; // 16 characters each, blanks where nothing was typed
};

struct Port2Settings {
    std::string controllerLa;
    bool rs485 = true;
};

struct ClearMemorySettings {
    std::string controllerLa;
    bool allControllers = false;
};

// The unit whose fixed address matches takes the new LA; then it is asked at its new address,
// unless that address holds "FF" anywhere (a broadcast cannot be verified).
Outcome setLogicalAddress(const OperationContext& context, const SetLaSettings& settings);
Outcome setDefaultMessage(const OperationContext& context, const DefaultMessageSettings& settings);
Outcome configurePort2(const OperationContext& context, const Port2Settings& settings);
Outcome clearControllerMemory(const OperationContext& context, const ClearMemorySettings& settings);
// Sent whether or not the port opened, and nothing shown: a closed port sends nothing.
Outcome resetNetwork(const OperationContext& context);

// A backslash in front of every backslash and double quote.
std::string escapeMessageLine(std::string_view line);
// "line1","line2","line3" with each line escaped.
std::string quotedMessage(const std::array<std::string, 3>& lines);
// The address "01" is sent to after an LA change.
std::string setLaVerificationAddress(const SetLaSettings& settings);
