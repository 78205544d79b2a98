#include "commands.h"

const std::vector<Command>& commandTable() {
    static const std::vector<Command> table = {
        {"probe",
         "measure the response time of one unit (\"Calc.\" of Extend Timeouts); prints the "
         "result label",
         setUpProbe},
        {"survey",
         "survey every unit that answers on the bus (\"&Ping\"); --json also writes the "
         "network found",
         setUpSurvey},
        {"upgrade", "upgrade the firmware of one unit or of all units found (\"&Upgrade\")",
         setUpUpgrade},
        {"versions", "list the versions of the firmware files (\"&File Versions\")", setUpVersions},
    };
    return table;
}
