#include "commands.h"

int exitStatusOf(const Outcome& outcome) {
    return outcome.succeeded() ? kExitDone : kExitFailed;
}

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
        {"comms-test",
         "survey, then send every selected unit eight kinds of request and report its pass "
         "rate (\"&Ping\", \"&Comms Test\")",
         setUpCommsTest},
        {"fast-poll",
         "watch a controller's fast-poll time-outs and online units (\"Online and timeout "
         "diagnostics\")",
         setUpFastPoll},
        {"set-la", "give the unit with a fixed address a new LA (Set Logical Address)", setUpSetLa},
        {"set-message", "set a controller's default display message (Set Default Message)",
         setUpSetMessage},
        {"set-port2", "switch a controller's second port (Configure Controller Port 2)",
         setUpSetPort2},
        {"clear-memory", "clear a controller's memory (Clear Controller Memory)", setUpClearMemory},
        {"reset-network", "reset every terminal and controller (\"&Reset\")", setUpResetNetwork},
        {"site",
         "bring the whole site up to date: survey, plan, upgrade every unit that is behind, "
         "survey again to verify, report (--plan: survey and plan only)",
         setUpSite},
        {"diff", "compare two survey inventories or site reports unit by unit, by fixed address",
         setUpDiff},
        {"history",
         "print the history of unit writes (nexalo-history.jsonl in the working folder), oldest "
         "first; --unit FIXED for one unit",
         setUpHistory},
        {"capture", "read a capture written with --capture (\"capture show FILE\")", setUpCapture},
        {"replay",
         "run the operation a capture recorded against a replay of it, with the working "
         "folder's firmware files; says whether the run was reproduced",
         setUpReplay},
    };
    return table;
}
