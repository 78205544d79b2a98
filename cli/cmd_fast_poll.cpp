#include "commands.h"
#include "options.h"
#include "tools/lineDiagnostics.h"

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
        const std::uint64_t until = context.clock.nowMs() + *seconds * kMsPerSecond;
        context.console.onPump = [&context, until] {
            if (context.clock.nowMs() >= until) context.console.signal.requestStop();
        };
        RunState runState;
        runState.click();
        SurveyTable unused;
        LineDiagnosticsResult result;
        context.gate.run([&] {
            result = runLineDiagnostics(context.engine(), unused, runState, {true, *la, ""});
        });
        context.console.onPump = nullptr;
        return result.portOpened && result.fastPoll == FastPollEnd::Stopped ? kExitDone
                                                                            : kExitFailed;
    };
}
