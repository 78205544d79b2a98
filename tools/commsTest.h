#pragma once
// The comms test: every surveyed unit that the Unit CLA box selects is sent eight kinds of
// request, short and long, for a number of cycles; the answered and unanswered ones are
// counted per unit and kind, and each unit's pass rate is reported.

#include "link/operationContext.h"
#include "link/outcome.h"
#include "surveyTable.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace commsTestText {
inline constexpr char Heading[] = "##  Comms Test  ##";
inline constexpr char UnitPrefix[] = "Unit Logical Address [CCTT]: ";
inline constexpr char NoUnit[] = "Click on Ping button before running Comms Test!";
} // namespace commsTestText

struct CommsTestSettings {
    std::string cla;    // "CCTT"; FF in either place means all
    std::string cycles; // the "No Of Cycles:" box as it stands
};

struct CommsTestResult {
    // Completed when at least one unit was tested and every request was answered; failed when
    // none was tested or a request went unanswered; stopped or line lost when the run ended
    // under it (the counts hold what was sent).
    Outcome end = Outcome::completed();
    int unitsReported = 0;
    std::uint32_t passed = 0; // run totals
    std::uint32_t failed = 0;
};

// 100 * passed / (passed + failed) to the nearest integer, a half to the even neighbour;
// 0 when nothing was sent.
int passRate(std::uint32_t passed, std::uint32_t failed);

// Whether the Unit CLA box (CC, TT) selects the record at row, column of table.
bool commsTestSelects(const SurveyTable& table, int row, int column, std::string_view cc,
                      std::string_view tt);

// Runs on an open port; stops before its next request once Stop is asked.
CommsTestResult runCommsTest(const OperationContext& context, SurveyTable& table,
                             const CommsTestSettings& settings);
