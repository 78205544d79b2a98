#include "site/inventoryDiff.h"

#include "link/catalogue.h"
#include "product/products.h"
#include "site/sitePlan.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <utility>

using nlohmann::json;

namespace {

// Why a document is not an inventory; caught once, at the top.
struct NotInventory : std::runtime_error {
    using std::runtime_error::runtime_error;
};

const json& member(const json& object, const char* name) {
    if (!object.is_object() || !object.contains(name))
        throw NotInventory(std::string("no \"") + name + "\" in a unit or bus");
    return object.at(name);
}

std::string text(const json& object, const char* name) {
    const json& value = member(object, name);
    if (!value.is_string()) throw NotInventory(std::string("\"") + name + "\" is not a text");
    return value.get<std::string>();
}

std::optional<std::string> optionalText(const json& object, const char* name) {
    if (!object.contains(name) || object.at(name).is_null()) return std::nullopt;
    return text(object, name);
}

std::uint32_t fixedAddressOf(const json& unit) {
    const std::string hex = text(unit, "fixedAddress");
    if (hex.size() != 8 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        throw NotInventory("fixed address \"" + hex + "\" is not 8 hex digits");
    return static_cast<std::uint32_t>(std::stoul(hex, nullptr, 16));
}

int productIdOf(const json& unit) {
    const json& id = member(unit, "productId");
    if (!id.is_number_integer()) throw NotInventory("\"productId\" is not a number");
    return id.get<int>();
}

void add(Inventory& inventory, const json& unit, InventoryUnit entry) {
    const std::uint32_t fixed = fixedAddressOf(unit);
    entry.productId = productIdOf(unit);
    entry.product = getProductName(static_cast<std::uint8_t>(entry.productId));
    const auto [first, last] = inventory.equal_range(fixed);
    for (auto same = first; same != last; ++same)
        if (same->second.port == entry.port) {
            throw NotInventory("fixed address " + hexText::fixedAddress(fixed) +
                               " stands twice on a bus");
        }
    inventory.emplace(fixed, std::move(entry));
}

// A unit of the survey's document: a remote's version is its second one, as a site report has.
void addSurveyed(Inventory& inventory, const json& unit, const std::string& port,
                 const std::string& address) {
    const bool remote = isRemoteProduct(productIdOf(unit));
    const bool bootLoader = unit.contains("status") && unit["status"] == "upgrade mode";
    add(inventory, unit,
        {port, address, 0, "", optionalText(unit, remote ? "secondVersion" : "version"),
         bootLoader});
}

const json& list(const json& object, const char* name) {
    const json& value = member(object, name);
    if (!value.is_array()) throw NotInventory(std::string("\"") + name + "\" is not a list");
    return value;
}

void readSurveyBus(Inventory& inventory, const json& bus, const std::string& port) {
    const json& host = member(bus, "host");
    if (!host.is_null()) {
        const std::string la = text(host, "la");
        const bool terminalSide = host.contains("kind") && host["kind"] == "tagpilot";
        addSurveyed(inventory, host, port, terminalSide ? "00" + la : la + "00");
    }
    for (const json& controller : list(bus, "controllers")) {
        const std::string la = text(controller, "la");
        addSurveyed(inventory, controller, port, la + "00");
        for (const json& terminal : list(controller, "terminals"))
            addSurveyed(inventory, terminal, port, la + text(terminal, "la"));
    }
    for (const json& terminal : list(bus, "busTerminals"))
        addSurveyed(inventory, terminal, port, "00" + text(terminal, "la"));
}

void readSiteBus(Inventory& inventory, const json& bus) {
    const std::string port = text(bus, "port");
    for (const json& unit : list(bus, "units")) {
        std::optional<std::string> version = optionalText(unit, "after");
        const bool left = unit.contains("result") && unit["result"] == "left in boot loader";
        // Older reports have no "inUpgradeMode": their units read as running.
        const bool found =
            !version && unit.contains("inUpgradeMode") && unit["inUpgradeMode"] == true;
        if (!version) version = optionalText(unit, "before");
        add(inventory, unit, {port, text(unit, "address"), 0, "", version, left || found});
    }
}

Inventory inventoryOf(const json& doc) {
    Inventory inventory;
    if (!doc.is_object()) throw NotInventory("not a JSON object");
    if (doc.contains("controllers")) {
        readSurveyBus(inventory, doc, "");
        return inventory;
    }
    if (!doc.contains("buses"))
        throw NotInventory("neither a survey inventory nor a site report (no \"controllers\" "
                           "or \"buses\")");
    for (const json& bus : list(doc, "buses")) {
        if (bus.contains("units"))
            readSiteBus(inventory, bus);
        else if (bus.contains("controllers"))
            readSurveyBus(inventory, bus, text(bus, "port"));
        else if (!bus.contains("opened") || bus["opened"] != false)
            throw NotInventory("a bus with neither \"units\" nor \"controllers\"");
    }
    return inventory;
}

std::string where(const InventoryUnit& unit) {
    return unit.port.empty() ? unit.address : "[" + unit.port + "] " + unit.address;
}

std::string productText(const InventoryUnit& unit) {
    return productLabel(unit.productId, unit.product);
}

std::string versionOf(const InventoryUnit& unit) {
    if (unit.inBootLoader) return "boot loader";
    return unit.version ? *unit.version : "----";
}

std::string described(const InventoryUnit& unit) {
    const std::string version = unit.inBootLoader ? " in its boot loader" : " V" + versionOf(unit);
    return where(unit) + " " + productText(unit) + version;
}

void compareUnit(std::vector<std::string>& lines, const std::string& fixed,
                 const InventoryUnit& before, const InventoryUnit& after) {
    // A document without ports says nothing about the bus a unit is on.
    const bool portsKnown = !before.port.empty() && !after.port.empty();
    if (before.address != after.address || (portsKnown && before.port != after.port))
        lines.push_back(fixed + " moved: " + where(before) + " -> " + where(after));
    if (before.productId != after.productId)
        lines.push_back(fixed + " product: " + productText(before) + " -> " + productText(after));
    if (versionOf(before) != versionOf(after))
        lines.push_back(fixed + " version: " + versionOf(before) + " -> " + versionOf(after));
}

std::vector<const InventoryUnit*> unitsOf(const Inventory& inventory, std::uint32_t fixed) {
    std::vector<const InventoryUnit*> units;
    const auto [first, last] = inventory.equal_range(fixed);
    for (auto unit = first; unit != last; ++unit)
        units.push_back(&unit->second);
    return units;
}

// Pairs the units of one fixed address on the same port first, then the rest in order; what
// stays unpaired was added or removed.
void compareFixedAddress(std::vector<std::string>& lines, const std::string& fixed,
                         std::vector<const InventoryUnit*> before,
                         std::vector<const InventoryUnit*> after) {
    std::vector<std::pair<const InventoryUnit*, const InventoryUnit*>> pairs;
    for (auto b = before.begin(); b != before.end();) {
        const auto a = std::find_if(after.begin(), after.end(), [&](const InventoryUnit* unit) {
            return unit->port == (*b)->port;
        });
        if (a == after.end()) {
            ++b;
            continue;
        }
        pairs.emplace_back(*b, *a);
        after.erase(a);
        b = before.erase(b);
    }
    while (!before.empty() && !after.empty()) {
        pairs.emplace_back(before.front(), after.front());
        before.erase(before.begin());
        after.erase(after.begin());
    }
    for (const auto& [b, a] : pairs)
        compareUnit(lines, fixed, *b, *a);
    for (const InventoryUnit* gone : before)
        lines.push_back(fixed + " removed: " + described(*gone));
    for (const InventoryUnit* come : after)
        lines.push_back(fixed + " added: " + described(*come));
}

} // namespace

InventoryRead parseInventory(const std::string& textIn) {
    const json doc = json::parse(textIn, nullptr, false);
    if (doc.is_discarded()) return {std::nullopt, "not JSON"};
    try {
        return {inventoryOf(doc), std::nullopt};
    } catch (const NotInventory& reason) {
        return {std::nullopt, reason.what()};
    } catch (const json::exception& reason) {
        return {std::nullopt, reason.what()};
    }
}

InventoryRead readInventory(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {std::nullopt, path + ": cannot be read"};
    std::ostringstream content;
    content << in.rdbuf();
    InventoryRead read = parseInventory(content.str());
    if (read.error) read.error = path + ": " + *read.error;
    return read;
}

std::vector<std::string> inventoryDifferences(const Inventory& before, const Inventory& after) {
    std::vector<std::string> lines;
    std::set<std::uint32_t> fixedAddresses;
    for (const auto& [fixed, unit] : before)
        fixedAddresses.insert(fixed);
    for (const auto& [fixed, unit] : after)
        fixedAddresses.insert(fixed);
    for (std::uint32_t fixed : fixedAddresses)
        compareFixedAddress(lines, hexText::fixedAddress(fixed), unitsOf(before, fixed),
                            unitsOf(after, fixed));
    return lines;
}
