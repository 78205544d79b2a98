#include "upgrade/pageBar.h"

#include <algorithm>

PageBar::PageBar(Console& console, int pages, std::vector<std::string> units)
    : console_(console), pages_(pages), units_(std::move(units)) {
    show();
}

void PageBar::pageWritten() {
    ++written_;
    show();
}

void PageBar::pageWritten(std::vector<std::string> units) {
    units_ = std::move(units);
    pageWritten();
}

void PageBar::unitConfirmed(Console& console, const std::string& unit) {
    console.unitProgress(unit, kMax);
}

int PageBar::position(int written, int pages) {
    if (pages <= 0) return kMax;
    const long long share = static_cast<long long>(kMax - kMin) * std::clamp(written, 0, pages);
    return kMin + static_cast<int>(share / pages);
}

void PageBar::show() {
    const int at = position(written_, pages_);
    // Full belongs to the confirmation: a unit whose pages are all in may still not start.
    for (const std::string& unit : units_)
        console_.unitProgress(unit, std::min(at, kMax - 1));
    console_.progress(at, kMin, kMax);
}
