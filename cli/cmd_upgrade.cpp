#include "commands.h"
#include "options.h"
#include "progressConsole.h"
#include "terminal.h"
#include "trust/folderTrust.h"
#include "upgrade/dispatcher.h"
#include "upgrade/typeChoice.h"

#include <map>
#include <memory>

namespace {

const std::map<std::string, UnitType> kUnitTypes{{"terminal", UnitType::Terminal},
                                                 {"controller-ab", UnitType::ControllerAB},
                                                 {"host", UnitType::HostInterface},
                                                 {"controller-cd", UnitType::ControllerCD},
                                                 {"remote", UnitType::Remote}};
const std::map<std::string, UpgradeType> kScopes{{"single", UpgradeType::SingleUnit},
                                                 {"all", UpgradeType::AllUnits},
                                                 {"one-at-a-time", UpgradeType::AllUnitsOneAtATime},
                                                 {"advanced", UpgradeType::Advanced}};

template <typename T> std::vector<std::string> namesOf(const std::map<std::string, T>& choices) {
    std::vector<std::string> names;
    for (const auto& [name, value] : choices)
        names.push_back(name);
    return names;
}

struct UpgradeOptions {
    std::string unitType = "terminal";
    std::string scope = "single";
    std::string controller, terminal, file;
    bool force = false;
};

// The LA boxes start from what the two choices give them; the options change only the boxes
// that the window would let the operator type into.
UpgradeSettings settingsFrom(const UpgradeOptions& options) {
    const UnitType unitType = kUnitTypes.at(options.unitType);
    const TypeChoice choice = ChooseUnitAndUpgradeType(unitType, kScopes.at(options.scope));
    UpgradeSettings settings;
    settings.unitType = unitType;
    settings.upgradeType = choice.upgradeType;
    settings.forceUpgrade = options.force;
    settings.controllerLA = choice.controllerLA.text;
    settings.terminalLA = choice.terminalLA.text;
    if (choice.controllerLA.enabled && !options.controller.empty())
        settings.controllerLA = options.controller;
    if (choice.terminalLA.enabled && !options.terminal.empty())
        settings.terminalLA = options.terminal;
    return settings;
}

int runUpgrade(CliContext& context, const UpgradeOptions& options) {
    if (!options.file.empty()) context.console.firmwareFile = options.file;
    const UpgradeSettings settings = settingsFrom(options);
    const ScopeFlags scope =
        ChooseUnitAndUpgradeType(settings.unitType, kScopes.at(options.scope)).scope;
    FirmwareImage image;
    FoundUnits units;
    // The face of the run: standard output as ever, and on a terminal the progress line.
    ProgressConsole console(context.console, isTerminal(stderr));
    console.follow(image);
    Outcome outcome;
    const Outcome ran = context.run([&](OperationContext& engine) {
        PortSession session(engine.link);
        if (!session.opened()) {
            outcome = Outcome::failed(PortSession::kOpenFailed);
            return;
        }
        // Read once, at the start of the run: every file it reads is held to the same list.
        const FirmwareTrust trust = ReadFirmwareTrust(context.session.trustSettings());
        UpgradeRun run{{engine.link, console, engine.clock, engine.control, trust, engine.units},
                       settings,
                       scope,
                       image,
                       units};
        outcome = RunUpgrade(run);
    });
    return context.exitWith(ran.succeeded() ? outcome : ran);
}

} // namespace

// "&Upgrade": a single unit, or discovery and a global upgrade. Succeeds only when every unit
// worked on was upgraded or needed no upgrade.
CommandAction setUpUpgrade(CLI::App& command) {
    auto options = std::make_shared<UpgradeOptions>();
    command
        .add_option("--unit-type", options->unitType,
                    "the kind of unit (\"Unit Type\"; default terminal)")
        ->check(CLI::IsMember(namesOf(kUnitTypes)));
    command.add_option("--scope", options->scope, "the upgrade type (default single)")
        ->check(CLI::IsMember(namesOf(kScopes)));
    command.add_option("--controller", options->controller, "Controller LA, where it can be typed")
        ->transform(HexText(2));
    command.add_option("--terminal", options->terminal, "Terminal LA, where it can be typed")
        ->transform(HexText(2));
    command.add_flag("--force", options->force, "upgrade whatever the versions say");
    command.add_option("--file", options->file, "the firmware file chosen under advanced");
    return [options](CliContext& context) { return runUpgrade(context, *options); };
}
