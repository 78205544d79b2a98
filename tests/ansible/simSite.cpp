// A simulated site for the Ansible collection's tests: serves a network over TCP as
// `nexalo-sim --listen` does, and answers what its units now hold, which a process outside
// cannot read over the bus.
//
//   ansible_sim_site NETWORK.json FOLDER
//
// Prints the address to use, then reads commands on standard input, one a line:
//   state   one JSON line: for every unit its name, fixed address, whether its flash changed
//           since the start, whether it was ever sent into upgrade mode, and whether its flash
//           holds the image of its application file in FOLDER (null: the unit has no file)
// The end of standard input ends the simulator, so a test that dies leaves none behind.

#include "image/fileSelection.h"
#include "link/silentConsole.h"
#include "sim/networkFile.h"
#include "sim/tcpSimulator.h"
#include "tests/support/folderTrust.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

using nlohmann::ordered_json;

UnitType unitTypeOf(const sim::Unit& unit) {
    if (unit.kind == sim::UnitKind::Host) return UnitType::HostInterface;
    if (unit.kind == sim::UnitKind::Controller)
        return unit.model == sim::ControllerModel::CD ? UnitType::ControllerCD
                                                      : UnitType::ControllerAB;
    return UnitType::Terminal;
}

// Whether every byte the unit's application file writes is in its flash; nothing when the
// unit's product has no file in the working folder.
std::optional<bool> holdsItsFile(const sim::Unit& unit) {
    FirmwareImage image;
    SilentConsole quiet;
    if (!LoadApplicationFile(image, quiet, unit.productId, unitTypeOf(unit),
                             UpgradeType::SingleUnit, folderTrust()))
        return std::nullopt;
    for (std::int32_t a = image.lowestWritten; a <= image.highestWritten; ++a)
        if (image.isWritten(a) && unit.flash.at(static_cast<std::uint32_t>(a)) != image.byteAt(a))
            return false;
    return true;
}

bool enteredUpgradeMode(const sim::Unit& unit) {
    return std::any_of(unit.commands.begin(), unit.commands.end(),
                       [](const std::string& c) { return c.starts_with("E0"); });
}

using Flashes = std::map<std::string, std::vector<std::uint8_t>>;

Flashes flashesOf(const sim::Network& network) {
    Flashes flashes;
    for (const sim::Unit& unit : network.units)
        flashes[unit.name] = unit.flash.read(0, sim::FlashMemory::Size);
    return flashes;
}

ordered_json stateOf(const sim::Network& network, const Flashes& atStart) {
    ordered_json units = ordered_json::array();
    for (const sim::Unit& unit : network.units) {
        char fixed[9];
        std::snprintf(fixed, sizeof fixed, "%08X", unit.fixedAddress);
        const std::optional<bool> holds = holdsItsFile(unit);
        units.push_back(
            {{"name", unit.name},
             {"fixedAddress", fixed},
             {"flashChanged", unit.flash.read(0, sim::FlashMemory::Size) != atStart.at(unit.name)},
             {"enteredUpgradeMode", enteredUpgradeMode(unit)},
             {"holdsItsFile", holds ? ordered_json(*holds) : ordered_json()}});
    }
    return {{"units", units}};
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: ansible_sim_site NETWORK.json FOLDER\n";
        return 2;
    }
    sim::NetworkLoad load = sim::loadNetworkFile(argv[1]);
    if (!load.network) {
        std::cerr << "ansible_sim_site: " << load.error << "\n";
        return 1;
    }
    // The application files are looked for in the working folder, as the tool does.
    std::filesystem::current_path(argv[2]);
    const Flashes atStart = flashesOf(*load.network);
    sim::TcpSimulator simulator(std::move(*load.network));
    const std::optional<std::string> address = simulator.start("127.0.0.1", 0);
    if (!address) {
        std::cerr << "ansible_sim_site: " << simulator.error() << "\n";
        return 1;
    }
    std::cout << *address << std::endl;
    for (std::string command; std::getline(std::cin, command);) {
        if (command == "state")
            std::cout << simulator.inspect([&](sim::NetworkSimulator& network) {
                return stateOf(network.network(), atStart).dump();
            }) << std::endl;
        else
            std::cout << ordered_json{{"error", "unknown command " + command}}.dump() << std::endl;
    }
    simulator.stop();
    return 0;
}
