#pragma once
// The progress bar of a page loop (single, global and remote upgrades). It moves by the share
// of pages written rather than by address, so that it climbs evenly across the gaps of an image
// (a version word far above the application would otherwise hold it low and then fill it at
// the last page); it stands full only once the last page is in, and where a run fails it stays
// at the last page written.

#include "link/console.h"

class PageBar {
public:
    static constexpr int kMin = 0;
    static constexpr int kMax = 100;

    // Shows the empty bar: no page of this loop is written yet.
    PageBar(Console& console, int pages);

    // One more page was written; the bar shows the share written so far.
    void pageWritten();

    // Where the bar stands after written of pages, truncated: below kMax until the last one.
    // A loop of no pages has nothing left to write and stands full.
    static int position(int written, int pages);

private:
    void show();

    Console& console_;
    int pages_;
    int written_ = 0;
};
