#pragma once
// The fast-poll diagnostics: a controller's (or the host interface's) counters of low-level
// fast-poll time-outs and, for a controller, the online bit maps of its units, shown twice a
// second as a table that replaces the report log.

#include "link/operationContext.h"
#include "link/outcome.h"

#include <string>
#include <string_view>

namespace fastPollText {
inline constexpr char NoResponse[] = "No response!";
inline constexpr char Unsupported[] = "Feature not supported in this version of firmware!";
inline constexpr char Title[] =
    "# Monitoring of low-level Fast Poll communication timeouts       #";
inline constexpr char ControllerHeading[] = "Controller LA: ";
inline constexpr char TerminalHeading[] = "  Terminal LA: ";
inline constexpr char OnlineHeading[] = "       Online: ";
inline constexpr char TimeoutHeading[] = "      Timeout: ";
inline constexpr char LineBreak[] = "\r\n";
} // namespace fastPollText

// The online row: three characters per LA from LA 1, "## " online by the first map, "-- "
// offline by the second (which wins), blanks for neither. Both maps are hex texts; the second
// is lined up with the first digit by digit from the left.
std::string formatOnlineStr(std::string_view first, std::string_view second);

// The display for one reading: the time-out counters' data (two hex digits per LA) and the
// online row (unused for the host interface, which lists controllers).
std::string fastPollDisplay(std::string_view counters, std::string_view onlineRow, bool host);

// Runs on an open port until Stop is asked (looked at before every request), its usual end;
// la is the box's two characters. Failed when the unit did not answer the start ("No
// response!"), refused when its firmware has no fast poll, line lost when the line failed.
Outcome runFastPoll(const OperationContext& context, const std::string& la);
