#include "maintenanceExit.h"
#include "options.h"

#include <memory>

namespace {

constexpr std::size_t kLineLength = 16;

// As the window's message boxes hold them: 16 characters, blanks after what was typed.
std::string messageLine(const std::string& text, int number) {
    if (text.size() > kLineLength)
        throw UsageError("set-message: --line" + std::to_string(number) +
                         " has more than 16 characters");
    return text + std::string(kLineLength - text.size(), ' ');
}

} // namespace

// Set Default Message: the three lines go to the controller and to its terminals.
CommandAction setUpSetMessage(CLI::App& command) {
    auto settings = std::make_shared<DefaultMessageSettings>();
    settings->controllerLa = "01";
    command.add_option("--controller", settings->controllerLa, "the controller's LA")
        ->transform(HexText(2))
        ->capture_default_str();
    for (int i = 0; i < 3; ++i)
        command.add_option("--line" + std::to_string(i + 1), settings->lines[i],
                           "line " + std::to_string(i + 1) + ", up to 16 characters");
    return [settings](CliContext& context) {
        for (int i = 0; i < 3; ++i)
            settings->lines[i] = messageLine(settings->lines[i], i + 1);
        return runMaintenance(context, [&](const OperationContext& engine) {
            return setDefaultMessage(engine, *settings);
        });
    };
}
