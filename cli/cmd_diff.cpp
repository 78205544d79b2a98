#include "commands.h"
#include "site/inventoryDiff.h"
#include "stdoutConsole.h"

#include <iostream>
#include <memory>

namespace {

struct DiffPaths {
    std::string before, after;
};

int runDiff(const DiffPaths& paths) {
    const InventoryRead before = readInventory(paths.before);
    const InventoryRead after = readInventory(paths.after);
    for (const InventoryRead* read : {&before, &after})
        if (read->error) {
            std::cerr << "nexalo-cli: " << *read->error << "\n";
            return kExitUsage;
        }
    const std::vector<std::string> lines =
        inventoryDifferences(*before.inventory, *after.inventory);
    for (const std::string& line : lines)
        StdoutConsole::printLine(line);
    return lines.empty() ? kExitDone : kExitFailed;
}

} // namespace

// Two inventories of a site, unit by unit: exit 0 when they agree, 1 when they differ.
CommandAction setUpDiff(CLI::App& command) {
    auto paths = std::make_shared<DiffPaths>();
    command.add_option("BEFORE", paths->before, "a survey inventory or site report")->required();
    command.add_option("AFTER", paths->after, "a survey inventory or site report")->required();
    return [paths](CliContext&) { return runDiff(*paths); };
}
