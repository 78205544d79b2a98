#pragma once
// The commands of nexalo-cli. Each lives in a cmd_<name>.cpp of its own and has one line in
// the table of commands.cpp.

#include "cliContext.h"

#include <string>
#include <vector>

// Exit statuses of the program.
constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

using CommandFunction = int (*)(CliContext&, std::vector<std::string> args);

struct Command {
    const char* name;
    const char* usage;   // options, for the help texts
    const char* summary; // one line
    CommandFunction run;
};

const std::vector<Command>& commandTable();
const Command* findCommand(const std::string& name);

int cmd_probe(CliContext& context, std::vector<std::string> args);
int cmd_versions(CliContext& context, std::vector<std::string> args);
