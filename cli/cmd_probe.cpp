#include "commands.h"
#include "options.h"
#include "tools/responseProbe.h"

#include <memory>

// Prints the label the dialog would show; succeeds when at least one probe was answered.
CommandAction setUpProbe(CLI::App& command) {
    auto address = std::make_shared<std::string>("0100");
    command.add_option("--address", *address, "the unit probed, controller LA then terminal LA")
        ->transform(HexText(4))
        ->capture_default_str();
    return [address](CliContext& context) {
        int status = kExitFailed;
        context.run(
            [&](OperationContext& engine) {
                const ProbeOutcome outcome = probeResponseTime(engine.link, *address);
                // The error box said it all: a port that did not open measured nothing.
                if (!outcome.portOpened) return;
                StdoutConsole::printLine(outcome.label);
                if (outcome.successes > 0 && !engine.link.lineLost()) status = kExitDone;
            },
            RunLog::MessageBox);
        return status;
    };
}
