#pragma once
// One surveyed unit asked for its information and shown as one line of the report.

#include "link/operationContext.h"
#include "surveyTable.h"

#include <cstdint>
#include <string>

// Which units of a group are asked, and what their line shows.
struct UnitQueryRule {
    // Units with an LA from 01 up to this one are asked (or shown as duplicates).
    std::uint8_t highestAskedLa;
    // Terminals also report their second version word, shown in brackets for some products.
    bool terminal;
};

inline constexpr UnitQueryRule kControllerQuery{0x7F, false};
inline constexpr UnitQueryRule kBusTerminalQuery{0x7F, true};
inline constexpr UnitQueryRule kListedTerminalQuery{0x40, true};

// Reads an information reply into the unit: status, version, and for a terminal the second
// version. Returns the version tail its line shows.
std::string takeUnitInfo(SurveyRecord& unit, const std::string& infoReply, bool terminal);

// Writes the unit's line, asking it at address first when its LA is one the rule asks;
// a unit with LA FF gets its "No LA!" line, any other LA no line at all.
void reportUnit(OperationContext& context, SurveyRecord& unit, const std::string& address,
                const UnitQueryRule& rule);
