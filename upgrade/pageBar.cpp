#include "upgrade/pageBar.h"

#include <algorithm>

PageBar::PageBar(Console& console, int pages) : console_(console), pages_(pages) {
    show();
}

void PageBar::pageWritten() {
    ++written_;
    show();
}

int PageBar::position(int written, int pages) {
    if (pages <= 0) return kMax;
    const long long share = static_cast<long long>(kMax - kMin) * std::clamp(written, 0, pages);
    return kMin + static_cast<int>(share / pages);
}

void PageBar::show() {
    console_.progress(position(written_, pages_), kMin, kMax);
}
