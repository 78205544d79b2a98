#include "commands.h"

const std::vector<Command>& commandTable() {
    static const std::vector<Command> table = {
        {"probe", "[--address CCTT]",
         "measure the response time of one unit (\"Calc.\" of Extend Timeouts); default 0100",
         cmd_probe},
        {"versions", "[--file PATH]",
         "list the versions of the firmware files (\"&File Versions\")", cmd_versions},
    };
    return table;
}

const Command* findCommand(const std::string& name) {
    for (const Command& command : commandTable())
        if (name == command.name) return &command;
    return nullptr;
}
