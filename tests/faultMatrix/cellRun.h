#pragma once
// One run of one procedure on a faulty line in virtual time, judged against what the simulated
// units really hold afterwards.

#include "faultRows.h"

#include <cstdint>
#include <ostream>
#include <string>

namespace faultmatrix {

// The all-at-once upgrade twice: the terminals of a controller, which that controller lists,
// and the controllers, which discovery finds by asking every LA.
enum class Column { Single, GlobalTerminals, GlobalControllers, Remote, Survey };
inline constexpr Column kColumns[] = {Column::Single, Column::GlobalTerminals,
                                      Column::GlobalControllers, Column::Remote, Column::Survey};
const char* columnName(Column column);
// How a test's name shows a column.
inline void PrintTo(Column column, std::ostream* out) {
    *out << columnName(column);
}

enum class Verdict {
    Completed,     // reported success, and the units hold what was reported
    FailedClearly, // reported failure, with a line that says what failed
    FailedSilent,  // reported failure (or fell short) without such a line
    Missed,        // fell short by a unit that never answered at all, which no line can name
    FalseSuccess,  // reported success, or stated a fact, that the units contradict
    Hang,          // did not end within its bound
};

const char* verdictName(Verdict verdict);

struct RunRecord {
    Verdict verdict = Verdict::Hang;
    std::uint64_t virtualMs = 0; // the run's time on its own clock (simulated or real)
    std::uint64_t boundMs = 0;   // the most it may take
    double realMs = 0;
    unsigned lineEvents = 0; // time-outs, frames read but not taken, noise bytes
    std::string detail;      // why it is not Completed
};

// Writes the firmware files every column needs into the working folder.
void writeMatrixFirmware();

// extraAttempts: the operator's extra attempts for requests that are safe to repeat.
RunRecord runCell(Column column, const FaultRow& row, std::uint64_t seed, int extraAttempts = 0);

} // namespace faultmatrix
