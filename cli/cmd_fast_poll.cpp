#include "commands.h"
#include "interrupt.h"
#include "options.h"
#include "tools/lineDiagnostics.h"

#include <iostream>
#include <memory>

namespace {
constexpr unsigned long kMaxSeconds = 86400;
constexpr std::uint64_t kMsPerSecond = 1000;
} // namespace

// "&Comms Test" with "Online and timeout diagnostics": the display is printed whenever it
// changes, until the time is up or Ctrl-C.
CommandAction setUpFastPoll(CLI::App& command) {
    auto la = std::make_shared<std::string>("01");
    auto seconds = std::make_shared<unsigned long>(10);
    command.add_option("--la", *la, "a controller's LA, or 7F for the host interface")
        ->transform(HexText(2))
        ->capture_default_str();
    command.add_option("--seconds", *seconds, "how long to watch")
        ->check(DecimalRange(1, kMaxSeconds))
        ->capture_default_str();
    return [la, seconds](CliContext& context) {
        SurveyTable unused;
        Outcome outcome;
        const Outcome ran = context.run(
            [&](OperationContext& engine) {
                outcome = runLineDiagnostics(engine, unused, {true, *la, ""}).end;
            },
            RunLog::Report, *seconds * kMsPerSecond);
        if (!ran.succeeded()) return context.exitWith(ran);
        // The end of the time asked for is the watch's own end; Ctrl-C is a Stop.
        if (outcome.kind == OutcomeKind::Stopped && !interruptRequested())
            outcome = Outcome::completed();
        if (!outcome.succeeded() && !outcome.cutShort())
            std::cerr << "nexalo-cli: fast-poll of LA " << *la << " " << outcome.describe() << "\n";
        return context.exitWith(outcome);
    };
}
