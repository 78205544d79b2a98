#pragma once
// --capture: the header of a bus's capture from the options, and the command's own arguments
// that the header records (the line's options stand in fields of their own).

#include "globalOptions.h"
#include "link/capture.h"
#include "link/linkSession.h"

#include <string>
#include <vector>

// The program's arguments less the options of the line (--port, --baud, --capture, …): the
// command and its options, as a replay gives them again.
std::vector<std::string> commandArguments(int argc, char** argv);

// The file of port's capture: the one asked for, or with several ports one a bus named as the
// comms logs are ("run.jsonl" gives run-COM2.jsonl).
std::string captureFileFor(const GlobalOptions& options, const std::string& port);

// Starts recording the session of port's bus when the options ask for it, and marks the
// operation's start. Throws capture::WriteError when the file cannot be written.
void startCaptureIfAsked(const GlobalOptions& options, const std::string& port,
                         LinkSession& session);
