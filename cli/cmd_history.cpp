#include "commands.h"
#include "options.h"
#include "stdoutConsole.h"
#include "trust/history.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <memory>

namespace {

struct HistoryOptions {
    std::string unit; // fixed address; empty: every unit
    bool json = false;
};

int runHistory(const HistoryOptions& options) {
    const HistoryRead read = ReadHistory();
    // Skipped lines are said on standard error, so that --json stays one JSON document.
    for (const std::string& note : read.notes)
        std::fprintf(stderr, "nexalo-cli: %s\n", note.c_str());
    const std::vector<HistoryRecord> records =
        options.unit.empty() ? read.records : RecordsOfUnit(read.records, options.unit);
    if (options.json) {
        nlohmann::json list = nlohmann::json::array();
        for (const HistoryRecord& record : records)
            list.push_back(nlohmann::json::parse(HistoryLine(record)));
        StdoutConsole::printLine(list.dump(2));
        return kExitDone;
    }
    if (!read.exists)
        StdoutConsole::printLine(std::string("No history: ") + kHistoryFileName +
                                 " is not in the working folder.");
    for (const HistoryRecord& record : records)
        StdoutConsole::printLine(HistorySummary(record));
    return kExitDone;
}

} // namespace

// The history of unit writes in the working folder, oldest first; touches no port.
CommandAction setUpHistory(CLI::App& command) {
    auto options = std::make_shared<HistoryOptions>();
    command.add_option("--unit", options->unit, "only the unit of this fixed address")
        ->transform(HexText(8));
    command.add_flag("--json", options->json, "print the records as one JSON array");
    return [options](CliContext&) { return runHistory(*options); };
}
