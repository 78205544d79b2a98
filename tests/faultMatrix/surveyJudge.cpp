#include "surveyJudge.h"

#include "link/catalogue.h"

#include <algorithm>
#include <set>

namespace faultmatrix {

namespace {

const sim::Unit* unitWithFixedAddress(const sim::Network& network, std::uint32_t fixed) {
    for (const sim::Unit& unit : network.units)
        if (unit.fixedAddress == fixed) return &unit;
    return nullptr;
}

// What is wrong with a record the survey stated as fact; empty when nothing is.
std::string wrongFact(const sim::Network& network, const SurveyTable& table, int row, int column) {
    const SurveyRecord& record = table.at(row, column);
    const sim::Unit* unit = unitWithFixedAddress(network, record.fixedAddressBits());
    const std::string fixed = hexText::fixedAddress(record.fixedAddressBits());
    if (unit == nullptr) return "no unit has fixed address " + fixed;
    const bool host = row == SurveyTable::kBusRow && column == SurveyTable::kHostColumn;
    if (!host && record.la != unit->la) return fixed + " has another LA";
    if (record.productId != unit->productId) return fixed + " has another product";
    if (record.status == surveyStatus::Ok && record.version != unit->version)
        return fixed + " runs another version";
    if (row != SurveyTable::kBusRow && column != 0) {
        const sim::Unit& controller = network.units[static_cast<std::size_t>(unit->controller)];
        if (table.at(row, 0).fixedAddressBits() != controller.fixedAddress)
            return fixed + " listed under another controller";
    }
    return {};
}

const SurveyRecord* recordOf(const SurveyTable& table, std::uint32_t fixed) {
    for (int row = 0; row < SurveyTable::kRows; ++row)
        for (int column = 0; column < SurveyTable::kColumns; ++column)
            if (table.at(row, column).occupied() &&
                table.at(row, column).fixedAddressBits() == fixed)
                return &table.at(row, column);
    return nullptr;
}

// Whether the report says that the terminal list of controller la did not come.
bool listSaidMissing(const std::vector<std::string>& lines, std::uint8_t la) {
    const std::string heading = "[ Terminals on Controller " + hexText::la(la) + " ]";
    const auto at = std::ranges::find(lines, heading);
    for (auto it = at; it != lines.end() && it - at <= 2; ++it)
        if (it->find("No response") != std::string::npos) return true;
    return false;
}

// How the report accounts for a unit it does not show as read: its own line says it could
// not be read, or its controller's does; or the survey never heard of it or its controller.
Verdict shortfall(const sim::Network& network, const SurveyTable& table,
                  const std::vector<std::string>& lines, const sim::Unit& unit) {
    if (recordOf(table, unit.fixedAddress) != nullptr) return Verdict::FailedClearly;
    if (unit.kind != sim::UnitKind::Terminal) return Verdict::Missed;
    const sim::Unit& controller = network.units[static_cast<std::size_t>(unit.controller)];
    const SurveyRecord* front = recordOf(table, controller.fixedAddress);
    if (front == nullptr) return Verdict::Missed;
    if (front->status != surveyStatus::Ok) return Verdict::FailedClearly; // not asked
    return listSaidMissing(lines, front->la) ? Verdict::FailedClearly : Verdict::FailedSilent;
}

} // namespace

Verdict judgeSurvey(const sim::Network& network, const SurveyTable& table,
                    const std::vector<std::string>& reportLines, std::string& detail) {
    std::set<std::uint32_t> read;
    for (int row = 0; row < SurveyTable::kRows; ++row) {
        for (int column = 0; column < SurveyTable::kColumns; ++column) {
            const SurveyRecord& record = table.at(row, column);
            if (!record.occupied()) continue;
            detail = wrongFact(network, table, row, column);
            if (!detail.empty()) return Verdict::FalseSuccess;
            if (record.status == surveyStatus::Ok) read.insert(record.fixedAddressBits());
        }
    }
    // The worst shortfall names the run: silent over missed over clearly failed.
    Verdict verdict = Verdict::Completed;
    for (const sim::Unit& unit : network.units) {
        if (read.contains(unit.fixedAddress)) continue;
        const Verdict missing = shortfall(network, table, reportLines, unit);
        detail += (detail.empty() ? "" : ", ") + unit.name +
                  (missing == Verdict::FailedClearly ? " not read" : " missing");
        if (missing == Verdict::FailedSilent || verdict == Verdict::Completed ||
            (missing == Verdict::Missed && verdict == Verdict::FailedClearly))
            verdict = missing;
    }
    return verdict;
}

} // namespace faultmatrix
