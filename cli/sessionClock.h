#pragma once
// The clock of the sessions the program makes: the real one, or for a run against a replay of a
// capture (the replay command, in this process) one that passes over the fixed pauses.

#include "link/clock.h"

#include <vector>

Clock& sessionClock();
// From now on every session made takes the fast-forward clock, told which of the recorded waits
// ended on their time-out. Only the replay command calls it: nothing on the command line
// reaches it.
void fastForwardSessions(std::vector<bool> timedOutWaits);
