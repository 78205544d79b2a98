#pragma once
// Everything a command works with: the session of the bus and the face.

#include "globalOptions.h"
#include "link/linkSession.h"
#include "stdoutConsole.h"

#include <cstdint>
#include <optional>
#include <vector>

// Hands every Ctrl-C pressed since the last call to the runs as a Stop (handled: how many have
// been), and keeps the line that Ctrl-C prints when it ends the program at once true to the
// units the runs are writing.
void followInterrupts(const std::vector<RunControl*>& runs, int& handled);

struct CliContext {
    LinkSession& session;
    StdoutConsole& console;
    const GlobalOptions& options;

    // Runs operation on the session's worker thread and waits for it to end. Meanwhile the first
    // Ctrl-C is a Stop, and so is the end of limitMs when given (0: no limit). Refused when the
    // bus was busy, an error when one ended the operation early, else completed: what the
    // operation concluded it hands back itself.
    Outcome run(const LinkSession::Operation& operation, RunLog log = RunLog::Status,
                std::uint64_t limitMs = 0);

    // The command's end: kept for the capture's end marker, and made the exit status.
    int exitWith(const Outcome& outcome);
    std::optional<Outcome> ended; // none until the command tells it
};
