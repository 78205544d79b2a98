#include "site/stepConsole.h"

#include <algorithm>

void StepConsole::progress(int position, int min, int max) {
    face_.progress(position, min, max);
    if (control_.phase() == RunPhase::Discovering || max <= min) return;
    wrotePages_ = wrotePages_ || position > min;
    // The bar starts once the units are erased: from then on they are in hand.
    if (finish_ != nullptr) finish_->progressed(position - min, max - min);
    if (!progress_) return;
    // The remote upgrade sets the bar past its maximum to show it full.
    const int percent = std::clamp((position - min) * 100 / (max - min), 0, 100);
    for (std::size_t unit : units_)
        progress_(unit, percent);
}
