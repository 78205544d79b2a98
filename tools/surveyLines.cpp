#include "surveyLines.h"

#include "product/products.h"

#include <cstdio>

namespace {

constexpr char kVersionTailBlanks[] = "        ";
constexpr char kNoVersion[] = "----";

// Fixed address and LA columns, each with its gap.
std::string addressColumns(const SurveyRecord& unit) {
    char text[32];
    std::snprintf(text, sizeof text, "%08X    %02X  ", unit.fixedAddressBits(), unit.la);
    return text;
}

// Product ID and description: nothing is cut when the ID is wider than two digits.
std::string productColumns(std::uint8_t productId) {
    return productLabel(productId, getProductName(productId));
}

} // namespace

std::string versionText(std::uint16_t version) {
    char text[16];
    std::snprintf(text, sizeof text, "%d.%.2d", version >> 8, version & 0xFF);
    return text;
}

std::string versionTail(bool bracketed, std::uint16_t secondVersion) {
    if (!bracketed) return kVersionTailBlanks;
    char text[24];
    std::snprintf(text, sizeof text, " [%d.%.2d] ", secondVersion >> 8, secondVersion & 0xFF);
    return text;
}

std::string unitLine(const SurveyRecord& unit, std::string_view tail) {
    return addressColumns(unit) + versionText(unit.version) + std::string(tail) + unit.status +
           productColumns(unit.productId);
}

std::string unitLineWithoutVersion(const SurveyRecord& unit, std::string_view status) {
    return addressColumns(unit) + kNoVersion + kVersionTailBlanks + std::string(status) +
           productColumns(unit.productId);
}

std::string totalUnitsLine(int count) {
    return surveyText::TotalUnits + std::to_string(count);
}

std::string terminalsOnControllerLine(std::uint8_t controllerLa) {
    char la[4];
    std::snprintf(la, sizeof la, "%02X", controllerLa);
    return std::string(surveyText::TerminalsOnController) + la +
           surveyText::TerminalsOnControllerEnd;
}

std::string identifyGaveUpLine(int passes) {
    return "Identification ended after " + std::to_string(passes) +
           " passes: a unit answers without taking its acknowledgement.";
}
