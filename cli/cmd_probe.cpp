#include "commands.h"
#include "options.h"
#include "tools/responseProbe.h"

namespace {

constexpr const char* kDefaultProbeAddress = "0100";

} // namespace

// Prints the label the dialog would show; succeeds when at least one probe was answered.
int cmd_probe(CliContext& context, std::vector<std::string> args) {
    OptionList options(std::move(args));
    const std::string address = parseHexAddress(
        "--address", options.takeValue("--address").value_or(kDefaultProbeAddress), 4);
    options.expectNoMore();
    int status = kExitFailed;
    context.gate.run([&] {
        const ProbeOutcome outcome = probeResponseTime(context.link, address);
        StdoutConsole::printLine(outcome.label);
        if (outcome.successes > 0) status = kExitDone;
    });
    return status;
}
