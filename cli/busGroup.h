#pragma once
// The buses of a command that may be given several ports: each bus its own session, its
// operation on that session's worker thread, all at once. With one port the command's own
// session and face serve, unchanged; with more, each bus prints through a PrefixConsole.
// Ctrl-C stops every bus.

#include "cliContext.h"

#include <cstddef>
#include <functional>

using BusOperation = std::function<void(std::size_t bus, OperationContext& engine)>;

// Runs operation on every port of the options and waits for all of them. ran[bus] is completed
// when that bus's operation ran to its own end, an error when one ended it early.
std::vector<Outcome> runOnBuses(CliContext& context, const BusOperation& operation,
                             RunLog log = RunLog::Status);
