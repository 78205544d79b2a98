#include "commands.h"
#include "options.h"
#include "tools/lineDiagnostics.h"
#include "tools/networkSurvey.h"

#include <memory>

namespace {
constexpr unsigned long kMaxCycles = 9999; // the window's box holds four digits
}

// "&Ping" then "&Comms Test": a fresh process has no survey, so it surveys first. Succeeds when
// at least one unit was tested and every request was answered.
CommandAction setUpCommsTest(CLI::App& command) {
    auto cla = std::make_shared<std::string>("FFFF");
    auto cycles = std::make_shared<std::string>("1");
    command.add_option("--cla", *cla, "controller LA then terminal LA; FF in either means all")
        ->transform(HexText(4))
        ->capture_default_str();
    command.add_option("--cycles", *cycles, "how often every unit gets the eight kinds")
        ->check(DecimalRange(0, kMaxCycles))
        ->capture_default_str();
    return [cla, cycles](CliContext& context) {
        Outcome outcome;
        const Outcome ran = context.run(
            [&](OperationContext& engine) {
                auto table = std::make_unique<SurveyTable>();
                const SurveyOutcome survey = surveyBus(engine, *table);
                outcome = survey.end;
                if (!survey.portOpened || engine.control.stopRequested()) return;
                outcome = worseOf(survey.end,
                                  runLineDiagnostics(engine, *table, {false, *cla, *cycles}).end);
            },
            RunLog::Report);
        return context.exitWith(ran.succeeded() ? outcome : ran);
    };
}
