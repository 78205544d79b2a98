#include "commands.h"
#include "link/captureFile.h"
#include "link/captureTrace.h"

#include <iostream>
#include <memory>

namespace {

int showCapture(const std::string& path) {
    const capture::Read read = capture::readCapture(path);
    if (!read.capture) {
        std::cerr << "nexalo-cli: " << read.error << "\n";
        return kExitUsage;
    }
    std::cout << capture::headerText(read.capture->header);
    for (const capture::Record& record : read.capture->records)
        std::cout << capture::traceLine(record) << "\n";
    for (const std::string& note : read.capture->notes)
        std::cout << note << "\n";
    return kExitDone;
}

} // namespace

// "capture show FILE": a capture as a readable trace. A file that is not a capture is said with
// its line on standard error, exit 2 as for a usage error.
CommandAction setUpCapture(CLI::App& command) {
    command.require_subcommand(1);
    CLI::App* show = command.add_subcommand(
        "show", "print a capture as a trace: time, direction, address, command and its fields");
    auto path = std::make_shared<std::string>();
    show->add_option("FILE", *path, "a capture written with --capture")->required();
    return [path](CliContext&) { return showCapture(*path); };
}
