#include "site/stepConsole.h"

#include <algorithm>

void StepConsole::progress(int position, int min, int max) {
    face_.progress(position, min, max);
}

void StepConsole::unitProgress(std::string_view unit, int percent) {
    face_.unitProgress(unit, percent);
    if (!progress_) return;
    const auto row = std::find_if(rows_.begin(), rows_.end(),
                                  [unit](const Row& r) { return r.address == unit; });
    // A unit the site did not plan for this step has no row to move.
    if (row != rows_.end()) progress_(row->row, std::clamp(percent, 0, 100));
}

void StepConsole::searching(int la, int of) {
    face_.searching(la, of);
    if (searching_) searching_(la, of);
}
