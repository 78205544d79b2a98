#pragma once
// The commands of nexalo-cli. Each lives in a cmd_<name>.cpp of its own and has one line in
// the table of commands.cpp: its name, its one-line summary, and the function that adds its
// options to its CLI11 subcommand and returns what runs it once the line has been parsed.

#include "cliContext.h"
#include "link/operation.h"
#include "link/outcome.h"

#include <CLI/CLI.hpp>

#include <functional>
#include <vector>

// Exit statuses of the program.
constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// The exit status of an operation's end: done only when it completed.
int exitStatusOf(const Outcome& outcome);

using CommandAction = std::function<int(CliContext&)>;
using CommandSetUp = CommandAction (*)(CLI::App& command);

struct Command {
    const char* name;
    const char* summary; // one line
    CommandSetUp setUp;
};

const std::vector<Command>& commandTable();

CommandAction setUpProbe(CLI::App& command);
CommandAction setUpSurvey(CLI::App& command);
CommandAction setUpUpgrade(CLI::App& command);
CommandAction setUpVersions(CLI::App& command);
CommandAction setUpCommsTest(CLI::App& command);
CommandAction setUpFastPoll(CLI::App& command);
CommandAction setUpSetLa(CLI::App& command);
CommandAction setUpSetMessage(CLI::App& command);
CommandAction setUpSetPort2(CLI::App& command);
CommandAction setUpClearMemory(CLI::App& command);
CommandAction setUpResetNetwork(CLI::App& command);
CommandAction setUpSite(CLI::App& command);
CommandAction setUpDiff(CLI::App& command);
CommandAction setUpHistory(CLI::App& command);
CommandAction setUpCapture(CLI::App& command);
CommandAction setUpReplay(CLI::App& command);
