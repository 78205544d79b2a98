#pragma once
// Before a site run changes anything: how many units of each kind it will upgrade and about how
// long it will take, as the question both faces ask the operator. The time comes from the pages
// of each planned file and the line speed; the pages are read from the working folder once per
// file, the rest is arithmetic.

#include "link/firmwareTrust.h"
#include "site/siteBus.h"
#include "site/siteOptions.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// One unit's share of the writing: the pages of its file, or of a remote its blocks. Units
// with the same non-empty group are written together by one broadcast (the terminals of one
// controller that take one file, the controllers of one model), so their pages go once.
struct PlannedWrite {
    SiteUnitKind kind = SiteUnitKind::Terminal;
    int pages = 0;
    std::string group;
    int pageChars = 0; // the text of its pages on the line, 0: pages of the largest size
    // A controller's broadcast first searches every LA: those that hold no controller of the
    // bus, each asked until its time-out.
    int silentLas = 0;
};

struct SiteEstimate {
    std::array<int, 4> units{}; // planned for an upgrade, by SiteUnitKind
    int seconds = 0;
    // The longest it may take: more than seconds when a search's silent LAs may be asked again
    // in rounds whose number the line's losses decide (extra attempts set).
    int upToSeconds = 0;
    int total() const { return units[0] + units[1] + units[2] + units[3]; }
};

// The planned writes of a bus, its files read from the working folder and held to the run's
// trust (a refused file has no pages to write).
std::vector<PlannedWrite> plannedWrites(const SiteBus& bus, ControllerModel model,
                                        const FirmwareTrust& trust);

// The units and the time of one bus's writes at this line speed, with the operator's extra
// attempts.
SiteEstimate estimateWrites(const std::vector<PlannedWrite>& writes, std::uint32_t bitsPerSecond,
                            int extraAttempts = 0);

// About how long the units in hand take to finish: the pages left at this line speed, then the
// reset, the confirmation that they run and the closing pause.
int secondsToFinish(SiteUnitKind kind, int pagesLeft, std::uint32_t bitsPerSecond);

// Buses run at once: their units add up, the slowest bus sets the time.
SiteEstimate combineEstimates(const std::vector<SiteEstimate>& buses);

// "Upgrade 3 units: 1 controller, 2 terminals.", the time (a range when it is uncertain), and
// the question itself.
std::string siteQuestion(const SiteEstimate& estimate, std::uint32_t bitsPerSecond);
