// nexalo-cli: the operations of the window from a shell, printing the same log lines.

#include "commands.h"
#include "globalOptions.h"
#include "interrupt.h"
#include "options.h"

#include <algorithm>
#include <iostream>

namespace {

int runCommand(const GlobalOptions& options, const Command& command) {
    Clock& clock = systemClock();
    TSerialPort port(clock);
    applyPortOptions(options, port);
    StdoutConsole console;
    console.port = &port;
    Transaction link(port, clock, console);
    link.detectLogging();
    link.setMinimumTimeout(options.minimumTimeoutMs);
    OperationGate gate(link);
    CliContext context{clock, port, console, link, gate};
    return command.run(context, options.commandArgs);
}

int run(const std::vector<std::string>& args) {
    const GlobalOptions options = parseGlobalOptions(args);
    if (options.help) {
        std::cout << globalUsage();
        return kExitDone;
    }
    if (options.command.empty()) throw UsageError("no command given (see --help)");
    const Command* command = findCommand(options.command);
    if (!command) throw UsageError("unknown command '" + options.command + "' (see --help)");
    const auto& commandArgs = options.commandArgs;
    if (std::find(commandArgs.begin(), commandArgs.end(), "--help") != commandArgs.end()) {
        std::cout << "usage: nexalo-cli [GLOBAL OPTIONS] " << command->name << " " << command->usage
                  << "\n  " << command->summary << "\n";
        return kExitDone;
    }
    return runCommand(options, *command);
}

} // namespace

int main(int argc, char** argv) {
    installInterruptHandler();
    try {
        return run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& error) {
        std::cerr << "nexalo-cli: " << error.what() << "\n";
        return kExitUsage;
    } catch (const std::exception& error) {
        std::cerr << "nexalo-cli: " << error.what() << "\n";
        return kExitFailed;
    }
}
