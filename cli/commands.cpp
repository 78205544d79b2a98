#include "commands.h"

const std::vector<Command>& commandTable() {
    static const std::vector<Command> table = {
        {"probe",
         "measure the response time of one unit (\"Calc.\" of Extend Timeouts); prints the "
         "result label",
         setUpProbe},
        {"versions", "list the versions of the firmware files (\"&File Versions\")", setUpVersions},
    };
    return table;
}
