// nexalo-cli: the operations of the window from a shell, printing the same log lines.

#include "captureSetup.h"
#include "commands.h"
#include "entry.h"
#include "globalOptions.h"
#include "interrupt.h"
#include "options.h"
#include "sessionClock.h"

#include <iostream>
#include <map>
#include <memory>

namespace {

constexpr const char* kDescription =
    "The operations of Nexalo Firmware Upgrade from a shell. Every line the window would log is "
    "printed on standard output. A file qrmcomlog.txt in the working folder switches frame "
    "logging on. Exit status: 0 done, 1 failed, 2 usage error.";

// The commands that send nothing on a bus of their own: nothing of theirs is captured.
bool worksOnABus(const std::string& command) {
    for (const char* offBus : {"versions", "diff", "history", "capture", "replay"})
        if (command == offBus) return false;
    return true;
}

int runCommand(const GlobalOptions& options, const CommandAction& action) {
    StdoutConsole console;
    LinkSession session(console, sessionClock());
    setUpSession(options, options.port, session);
    // With several buses each bus's session records its own.
    if (options.ports.size() == 1 && worksOnABus(options.commandName))
        startCaptureIfAsked(options, options.port, session);
    CliContext context{session, console, options, std::nullopt};
    const int status = action(context);
    if (capture::Writer* writer = session.capture()) writer->operationEnd(context.ended);
    return status;
}

// The commands that work on several buses at once.
constexpr const char* kSeveralPortCommands = "site and survey";
bool takesSeveralPorts(const std::string& command) {
    return command == "site" || command == "survey";
}

// The usage line says what a user types: the options, one command and its arguments.
class UsageFormatter : public CLI::Formatter {
public:
    std::string make_usage(const CLI::App* app, std::string name) const override {
        if (app->get_parent() != nullptr) return CLI::Formatter::make_usage(app, std::move(name));
        return get_label("Usage") + ": " + name + " [OPTIONS] COMMAND [ARGS]\n";
    }
};

int usageError(const std::string& reason) {
    std::cerr << "nexalo-cli: " << reason << "\n";
    return kExitUsage;
}

int run(int argc, char** argv) {
    CLI::App app(kDescription, "nexalo-cli");
    app.require_subcommand(0, 1);
    app.formatter(std::make_shared<UsageFormatter>());
    // The options of the line are taken after the command too, as in "site --port COM2".
    app.fallthrough();
    GlobalOptions options;
    addGlobalOptions(app, options);
    // A word that names no command lands here, so that the error can say which word it was.
    std::string unknownCommand;
    app.add_option("command", unknownCommand)->group("");
    std::map<const CLI::App*, CommandAction> actions;
    for (const Command& command : commandTable()) {
        CLI::App* sub = app.add_subcommand(command.name, command.summary);
        sub->group("Commands");
        actions[sub] = command.setUp(*sub);
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::ParseError& error) {
        return usageError(error.what());
    }
    if (app.get_subcommands().empty())
        return usageError(unknownCommand.empty()
                              ? "no command given (see --help)"
                              : "unknown command '" + unknownCommand + "' (see --help)");
    const CLI::App* command = app.get_subcommands().front();
    // A word the command does not take falls through to the place of the command's name.
    if (!unknownCommand.empty())
        return usageError("unexpected argument '" + unknownCommand + "' for " +
                          command->get_name() + " (see " + command->get_name() + " --help)");
    if (options.ports.size() > 1 && !takesSeveralPorts(command->get_name()))
        return usageError("--port may be given more than once only for " +
                          std::string(kSeveralPortCommands) + ", not for " + command->get_name());
    options.port = options.ports.front();
    options.commandName = command->get_name();
    options.commandArguments = commandArguments(argc, argv);
    return runCommand(options, actions.at(command));
}

} // namespace

int runArguments(const std::vector<std::string>& arguments) {
    std::vector<std::string> held = arguments;
    std::vector<char*> argv;
    for (std::string& argument : held)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    return run(static_cast<int>(held.size()), argv.data());
}

int main(int argc, char** argv) {
    installInterruptHandler();
    try {
        return run(argc, argv);
    } catch (const UsageError& error) {
        return usageError(error.what());
    } catch (const std::exception& error) {
        std::cerr << "nexalo-cli: " << error.what() << "\n";
        return kExitFailed;
    }
}
