#pragma once
// A remark of the open line that the operator should read once per run: a network port that
// leaves the line's speed and framing to its device server says so.

#include "lineLoss.h"

#include <string_view>

// In the run's log; a run that reports through message boxes says it in the status log, since
// a box would hold up the run for a remark.
void tellPortNote(Console& console, RunLog log, std::string_view note);
