#pragma once
// The serial line itself failing during a run (the adapter unplugged, the far end of the
// device gone): the operator is told once, in the place where the run's own lines go, with the
// platform's words, and the procedures end the run instead of trying every unit in turn.

#include "console.h"

#include <string_view>

// Where a run's lines go: the window's status log (upgrades), its report log (system tools),
// or a message box for the commands that have no log (maintenance, the response-time probe).
enum class RunLog { Status, Report, MessageBox };

inline constexpr char kLineLostPrefix[] = "Serial line lost: ";

// "Serial line lost: " + the platform's text, in the run's log.
void tellLineLost(Console& console, RunLog log, std::string_view platformText);
