#pragma once
// The progress bar of a page loop (single, global and remote upgrades). It moves by the share
// of pages written rather than by address, so that it climbs evenly across the gaps of an image
// (a version word far above the application would otherwise hold it low and then fill it at
// the last page); it stands full only once the last page is in, and where a run fails it stays
// at the last page written.
//
// Each unit the pages go to has a bar of its own besides: it climbs with the pages that unit
// took, stops where it was when the unit drops out of the loop (it failed), and stands full
// only once the unit was confirmed running, not when its last page is in.

#include "link/console.h"

#include <string>
#include <vector>

class PageBar {
public:
    static constexpr int kMin = 0;
    static constexpr int kMax = 100;

    // Shows the empty bar, the run's and each of units' (CCTT addresses): no page of this loop
    // is written yet.
    PageBar(Console& console, int pages, std::vector<std::string> units);

    // One more page was written to the units the loop still writes.
    void pageWritten();
    // One more page was written, and the loop goes on with units only: a unit it left (failed)
    // keeps the bar it had.
    void pageWritten(std::vector<std::string> units);

    // The unit answered from its new firmware: its bar stands full.
    static void unitConfirmed(Console& console, const std::string& unit);

    // Where the bar stands after written of pages, truncated: below kMax until the last one.
    // A loop of no pages has nothing left to write and stands full.
    static int position(int written, int pages);

private:
    void show();

    Console& console_;
    int pages_;
    std::vector<std::string> units_;
    int written_ = 0;
};
