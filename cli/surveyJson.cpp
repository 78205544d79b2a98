#include "surveyJson.h"

#include "product/products.h"
#include "tools/surveyLines.h"
#include "tools/unitQuery.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstring>
#include <fstream>

using nlohmann::ordered_json;

namespace {

std::string hex(std::uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

const char* hostKindName(HostKind kind) {
    switch (kind) {
    case HostKind::hkReaderOrInterface:
        return "registration reader or host interface";
    case HostKind::hkAdaptionSet:
        return "adaption set";
    case HostKind::hkTagPilot:
        return "tagpilot";
    case HostKind::hkNone:
        break;
    }
    return "";
}

// What the report said of the unit, by the rules of its group.
const char* statusName(const SurveyRecord& unit, const UnitQueryRule& rule) {
    if (unit.status == surveyStatus::Ok) return "ok";
    if (unit.status == surveyStatus::UpgradeMode) return "upgrade mode";
    if (unit.la == 0xFF) return "no LA";
    if (unit.la == 0 || unit.la > rule.highestAskedLa) return "not asked";
    return unit.duplicate ? "duplicate LA" : "comms error";
}

ordered_json unitJson(const SurveyRecord& unit, const UnitQueryRule& rule) {
    const bool answered = !unit.status.empty();
    ordered_json j;
    j["la"] = hex(unit.la, 2);
    j["fixedAddress"] = hex(unit.fixedAddressBits(), 8);
    j["productId"] = unit.productId;
    j["product"] = getProductName(unit.productId);
    j["version"] = answered ? ordered_json(versionText(unit.version)) : ordered_json();
    if (rule.terminal)
        j["secondVersion"] =
            answered ? ordered_json(versionText(unit.secondVersion)) : ordered_json();
    j["status"] = statusName(unit, rule);
    j["duplicate"] = unit.duplicate;
    return j;
}

ordered_json terminalsOf(const SurveyTable& table, int row, const UnitQueryRule& rule) {
    ordered_json list = ordered_json::array();
    for (int column = 1; column <= SurveyTable::kGroupSize; ++column) {
        // Entries a list announced but did not hold read as empty and are left out.
        const SurveyRecord& terminal = table.at(row, column);
        if (terminal.occupied()) list.push_back(unitJson(terminal, rule));
    }
    return list;
}

} // namespace

ordered_json surveyDocument(const SurveyTable& table, const SurveyOutcome& outcome) {
    ordered_json doc;
    if (outcome.host.kind == HostKind::hkNone) {
        doc["host"] = nullptr;
    } else {
        ordered_json host = unitJson(table.at(0, 0), kControllerQuery);
        host["kind"] = hostKindName(outcome.host.kind);
        doc["host"] = host;
    }
    doc["controllers"] = ordered_json::array();
    for (int row = 1; row <= SurveyTable::kGroupSize; ++row) {
        const SurveyRecord& controller = table.at(row, 0);
        if (!controller.occupied()) continue;
        ordered_json c = unitJson(controller, kControllerQuery);
        c["terminals"] = terminalsOf(table, row, kListedTerminalQuery);
        doc["controllers"].push_back(c);
    }
    doc["busTerminals"] = terminalsOf(table, SurveyTable::kBusRow, kBusTerminalQuery);
    return doc;
}

std::string surveyJson(const SurveyTable& table, const SurveyOutcome& outcome) {
    return surveyDocument(table, outcome).dump(2) + "\n";
}

std::string severalBusesJson(const std::vector<SurveyedBus>& buses) {
    ordered_json doc;
    doc["buses"] = ordered_json::array();
    for (const SurveyedBus& bus : buses) {
        ordered_json b;
        b["port"] = bus.port;
        b["opened"] = !bus.document.is_null();
        if (!bus.document.is_null())
            for (const auto& [key, value] : bus.document.items())
                b[key] = value;
        doc["buses"].push_back(b);
    }
    return doc.dump(2) + "\n";
}

bool writeSurveyJson(const std::string& path, const SurveyTable& table,
                     const SurveyOutcome& outcome, std::string& error) {
    return writeJsonText(path, surveyJson(table, outcome), error);
}

bool writeJsonText(const std::string& path, const std::string& text, std::string& error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out) out << text;
    out.close();
    if (out) return true;
    error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
}
