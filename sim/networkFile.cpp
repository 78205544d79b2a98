#include "sim/networkFile.h"

#include "link/catalogue.h"
#include "sim/addressing.h"
#include "sim/hexCodec.h"
#include "sim/jsonFields.h"

#include <fstream>
#include <functional>
#include <sstream>

namespace sim {

namespace {
using nlohmann::json;

void readReplyFaults(JsonFields& f, ReplyFaults& faults) {
    assignIf(faults.dropShare, f.share("drop"));
    assignIf(faults.badCrcShare, f.share("badCrc"));
    assignIf(faults.lowerCaseCrcShare, f.share("lowerCaseCrc"));
    assignIf(faults.staleSequenceShare, f.share("staleSequence"));
    assignIf(faults.noiseShare, f.share("noise"));
    assignIf(faults.delayMs, f.integer("delayMs", 600000));
}

std::optional<FlashFault> readFlashFault(JsonFields& parent, const char* name,
                                         const char* targetName, std::uint32_t maxTarget,
                                         std::string& error) {
    const json* value = parent.member(name);
    if (!value) return std::nullopt;
    JsonFields f(*value, parent.path(name), error);
    f.onlyKnown({targetName, "code", "always"});
    FlashFault fault;
    std::optional<std::uint32_t> target = f.hexNumber(targetName, maxTarget);
    if (!target) f.fail(f.path(targetName) + " is needed");
    assignIf(fault.target, target);
    assignIf(fault.code, f.hexNumber("code", 0xFF));
    assignIf(fault.always, f.flag("always"));
    if (!f.ok()) return std::nullopt;
    return fault;
}

std::optional<PowerLoss> readPowerLoss(JsonFields& parent, std::string& error) {
    const json* value = parent.member("powerLoss");
    if (!value) return std::nullopt;
    JsonFields f(*value, parent.path("powerLoss"), error);
    f.onlyKnown({"afterRequests", "afterFrames", "offMs"});
    PowerLoss loss;
    assignIf(loss.afterRequests, f.integer("afterRequests", 0xFFFFFFFF));
    loss.afterFrames = f.integer("afterFrames", 0xFFFFFFFF);
    assignIf(loss.offMs, f.integer("offMs", 3600000));
    if (!f.ok()) return std::nullopt;
    return loss;
}

// true (the image gives up after the default time) or {"afterMs": MS}.
std::optional<BootLoaderFall> readBootLoaderFall(JsonFields& parent, std::string& error) {
    const json* value = parent.member("bootsIntoBootLoader");
    if (!value) return std::nullopt;
    if (value->is_boolean())
        return value->get<bool>() ? std::optional(BootLoaderFall{}) : std::nullopt;
    JsonFields f(*value, parent.path("bootsIntoBootLoader"), error);
    f.onlyKnown({"afterMs"});
    BootLoaderFall fall;
    assignIf(fall.afterMs, f.integer("afterMs", 3600000));
    if (!f.ok()) return std::nullopt;
    return fall;
}

void readImageFaults(JsonFields& f, UnitFaults& faults, std::string& error) {
    assignIf(faults.keepsOldFirmware, f.flag("keepsOldFirmware"));
    faults.versionAfter = f.version("versionAfter");
    faults.bootsIntoBootLoader = readBootLoaderFall(f, error);
    assignIf(faults.slowBootMs, f.integer("slowBootMs", 3600000));
}

void readUnitFaults(JsonFields& parent, UnitFaults& faults, std::string& error) {
    const json* value = parent.member("faults");
    if (!value) return;
    JsonFields f(*value, parent.path("faults"), error);
    f.onlyKnown({"drop",
                 "badCrc",
                 "lowerCaseCrc",
                 "staleSequence",
                 "noise",
                 "delayMs",
                 "refuseUpgrade",
                 "silentBulkErase",
                 "answersStatusNotInfo",
                 "refuseNewLa",
                 "laChangeFailure",
                 "eraseFault",
                 "pageFault",
                 "powerLoss",
                 "ignoreAcknowledges",
                 "neverAcknowledge",
                 "announcedListCount",
                 "keepsOldFirmware",
                 "versionAfter",
                 "bootsIntoBootLoader",
                 "slowBootMs"});
    readReplyFaults(f, faults.replies);
    assignIf(faults.refuseUpgrade, f.flag("refuseUpgrade"));
    assignIf(faults.silentBulkErase, f.flag("silentBulkErase"));
    assignIf(faults.answersStatusNotInfo, f.flag("answersStatusNotInfo"));
    assignIf(faults.refuseNewLa, f.flag("refuseNewLa"));
    if (std::optional<std::uint32_t> count = f.integer("ignoreAcknowledges", 0xFFFF))
        faults.ignoredAcknowledges = static_cast<int>(*count);
    if (std::optional<bool> never = f.flag("neverAcknowledge"); never && *never)
        faults.ignoredAcknowledges = -1;
    if (std::optional<std::uint32_t> count = f.integer("announcedListCount", 0xFF))
        faults.announcedListCount = static_cast<std::uint8_t>(*count);
    std::optional<std::uint32_t> laBits = f.hexNumber("laChangeFailure", 0xFF);
    if (laBits && (*laBits == 0 || (*laBits & ~std::uint32_t{reply::LaChangeFailed}) != 0))
        f.fail(f.path("laChangeFailure") + " must be status bits within 5E");
    assignIf(faults.laChangeFailure, laBits);
    faults.eraseFault = readFlashFault(f, "eraseFault", "sector", 7, error);
    faults.pageFault = readFlashFault(f, "pageFault", "address", FlashMemory::Size - 1, error);
    faults.powerLoss = readPowerLoss(f, error);
    readImageFaults(f, faults, error);
}

void readFastPoll(JsonFields& parent, Unit& unit, std::string& error) {
    const json* value = parent.member("fastPoll");
    if (!value) return;
    JsonFields f(*value, parent.path("fastPoll"), error);
    f.onlyKnown({"supported", "units", "timeouts", "secondMap"});
    assignIf(unit.fastPollSupported, f.flag("supported"));
    std::optional<std::uint32_t> units = f.integer("units", 64);
    if (units && *units != 40 && *units != 64) f.fail(f.path("units") + " must be 40 or 64");
    assignIf(unit.fastPollUnits, units);
    if (const json* timeouts = f.member("timeouts")) {
        if (!timeouts->is_array()) f.fail(f.path("timeouts") + " must be a list");
        for (const json& t : timeouts->is_array() ? *timeouts : json::array()) {
            if (!t.is_number_unsigned() || t.get<std::uint64_t>() > 0xFF)
                f.fail(f.path("timeouts") + " holds counts from 0 to 255");
            else
                unit.fastPollTimeouts.push_back(static_cast<std::uint8_t>(t.get<unsigned>()));
        }
    }
    std::optional<std::uint32_t> low = f.hexNumber("secondMap", 0xFFFFFFFF);
    assignIf(unit.extraOnlineMap, low);
}

void readRemote(JsonFields& parent, Unit& unit, std::string& error) {
    const json* value = parent.member("remote");
    if (!value) return;
    JsonFields f(*value, parent.path("remote"), error);
    f.onlyKnown({"productId", "version", "refuseEntry", "powerLoss"});
    unit.hasRemote = true;
    assignIf(unit.remote.productId, f.integer("productId", 0xFF));
    assignIf(unit.remote.version, f.version("version"));
    assignIf(unit.remote.refuseEntry, f.flag("refuseEntry"));
    unit.remote.powerLoss = readPowerLoss(f, error);
}

std::optional<VersionPlace> versionPlace(JsonFields& f) {
    std::optional<std::string> text = f.text("versionPlace");
    if (!text) return std::nullopt;
    if (*text == "auto") return VersionPlace::Auto;
    if (*text == "hex16") return VersionPlace::Hex16;
    if (*text == "hexHigh") return VersionPlace::HexHigh;
    if (*text == "srec") return VersionPlace::SRecord;
    f.fail(f.path("versionPlace") + " must be auto, hex16, hexHigh or srec");
    return std::nullopt;
}

void readCommonUnit(JsonFields& f, Unit& unit, std::string& error) {
    assignIf(unit.name, f.text("name"));
    assignIf(unit.la, f.hexNumber("la", 0xFF));
    assignIf(unit.fixedAddress, f.hexNumber("fixedAddress", 0xFFFFFFFF));
    assignIf(unit.productId, f.integer("productId", 0xFF));
    assignIf(unit.version, f.version("version"));
    assignIf(unit.secondVersion, f.version("secondVersion"));
    assignIf(unit.bootVersion, f.version("bootVersion"));
    assignIf(unit.infoWord, f.hexNumber("infoWord", 0xFFFF));
    assignIf(unit.text, f.text("text"));
    assignIf(unit.statusBits, f.hexNumber("status", 0xFF));
    assignIf(unit.upgradeMode, f.flag("upgradeMode"));
    assignIf(unit.versionPlace, versionPlace(f));
    std::optional<std::string> entry = f.text("entryCommand");
    if (entry && *entry != "E0" && *entry != "E001")
        f.fail(f.path("entryCommand") + " must be E0 or E001");
    assignIf(unit.entryCommand, entry);
    assignIf(unit.refusePort2, f.flag("refusePort2"));
    readFastPoll(f, unit, error);
    readRemote(f, unit, error);
    readUnitFaults(f, unit.faults, error);
}

#define NEXALO_UNIT_KEYS                                                                           \
    "name", "la", "fixedAddress", "productId", "version", "secondVersion", "bootVersion",          \
        "infoWord", "text", "status", "upgradeMode", "versionPlace", "entryCommand",               \
        "refusePort2", "fastPoll", "remote", "faults"

std::string defaultName(const Network& network, const Unit& unit) {
    std::string base;
    switch (unit.kind) {
    case UnitKind::Controller:
        base = "controller-" + hex2(unit.la);
        break;
    case UnitKind::Terminal:
        base = "terminal-" + unitAddress(network, unit);
        break;
    case UnitKind::BusTerminal:
        base = "bus-terminal-" + hex2(unit.la);
        break;
    case UnitKind::Host:
        base = "host";
        break;
    }
    std::string name = base;
    for (int n = 2; findUnit(network, name) >= 0; ++n)
        name = base + "#" + std::to_string(n);
    return name;
}

void addUnit(Network& network, Unit unit, std::string& error) {
    if (unit.name.empty()) unit.name = defaultName(network, unit);
    if (findUnit(network, unit.name) >= 0 && error.empty())
        error = "two units are called " + unit.name;
    network.units.push_back(std::move(unit));
}

void readTerminal(const json& value, const std::string& path, Network& network, UnitKind kind,
                  int controller, std::string& error) {
    JsonFields f(value, path, error);
    f.onlyKnown({NEXALO_UNIT_KEYS});
    Unit unit;
    unit.kind = kind;
    unit.controller = controller;
    unit.productId = 3;
    readCommonUnit(f, unit, error);
    addUnit(network, std::move(unit), error);
}

void readList(JsonFields& f, const char* name,
              const std::function<void(const json&, const std::string&)>& each) {
    const json* list = f.member(name);
    if (!list) return;
    if (!list->is_array()) f.fail(f.path(name) + " must be a list");
    for (std::size_t i = 0; f.ok() && i < list->size(); ++i)
        each((*list)[i], f.path(name) + "[" + std::to_string(i) + "]");
}

void readController(const json& value, const std::string& path, Network& network,
                    std::string& error) {
    JsonFields f(value, path, error);
    f.onlyKnown({NEXALO_UNIT_KEYS, "model", "terminals"});
    Unit unit;
    unit.kind = UnitKind::Controller;
    unit.productId = 5;
    std::optional<std::string> model = f.text("model");
    if (model && *model != "AB" && *model != "CD") f.fail(f.path("model") + " must be AB or CD");
    unit.model = model == "CD" ? ControllerModel::CD : ControllerModel::AB;
    unit.fastPollUnits = unit.model == ControllerModel::CD ? 64 : 40;
    readCommonUnit(f, unit, error);
    int index = static_cast<int>(network.units.size());
    addUnit(network, std::move(unit), error);
    readList(f, "terminals", [&](const json& t, const std::string& p) {
        readTerminal(t, p, network, UnitKind::Terminal, index, error);
    });
}

void readHost(const json& value, const std::string& path, Network& network, std::string& error) {
    JsonFields f(value, path, error);
    f.onlyKnown({NEXALO_UNIT_KEYS, "position"});
    Unit unit;
    unit.kind = UnitKind::Host;
    unit.la = 0x7F;
    unit.productId = 18;
    std::optional<std::string> position = f.text("position");
    if (position && *position != "7F00" && *position != "7E00" && *position != "007E")
        f.fail(f.path("position") + " must be 7F00, 7E00 or 007E");
    assignIf(unit.hostPosition, position);
    readCommonUnit(f, unit, error);
    addUnit(network, std::move(unit), error);
}

Network readNetwork(const json& root, std::string& error) {
    Network network;
    JsonFields f(root, "network", error);
    f.onlyKnown({"seed", "latencyMs", "clearMemoryMs", "faults", "collisions", "host",
                 "controllers", "busTerminals"});
    assignIf(network.seed, f.integer("seed", 0xFFFFFFFF));
    assignIf(network.latencyMs, f.integer("latencyMs", 600000));
    assignIf(network.clearMemoryMs, f.integer("clearMemoryMs", 600000));
    if (const json* faults = f.member("faults")) {
        JsonFields lf(*faults, f.path("faults"), error);
        lf.onlyKnown({"drop", "badCrc", "lowerCaseCrc", "staleSequence", "noise", "delayMs"});
        readReplyFaults(lf, network.lineFaults);
    }
    if (std::optional<std::string> how = f.text("collisions")) {
        if (*how == "garbled")
            network.collisions = Collision::Garbled;
        else if (*how != "nearerFirst")
            f.fail(f.path("collisions") + " must be garbled or nearerFirst");
    }
    if (const json* host = f.member("host")) readHost(*host, f.path("host"), network, error);
    readList(f, "controllers",
             [&](const json& c, const std::string& p) { readController(c, p, network, error); });
    readList(f, "busTerminals", [&](const json& t, const std::string& p) {
        readTerminal(t, p, network, UnitKind::BusTerminal, -1, error);
    });
    return network;
}
} // namespace

NetworkLoad parseNetwork(std::string_view jsonText) {
    json root = json::parse(jsonText, nullptr, false);
    if (root.is_discarded()) return {std::nullopt, "the network file is not valid JSON"};
    std::string error;
    Network network = readNetwork(root, error);
    if (!error.empty()) return {std::nullopt, error};
    return {std::move(network), {}};
}

NetworkLoad loadNetworkFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return {std::nullopt, "cannot read " + path};
    std::ostringstream text;
    text << file.rdbuf();
    return parseNetwork(text.str());
}

} // namespace sim
