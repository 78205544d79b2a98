#pragma once
// What is known of each bus of a site run while it goes on, as its observer tells it: the plan
// and every change to a unit since. When a Ctrl-C ends the program at once, the report is
// written from this, with the units then being written left in their boot loader.

#include "link/runControl.h"
#include "site/siteBus.h"

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

class KnownBuses {
public:
    explicit KnownBuses(const std::vector<std::string>& ports);

    // The bus's run has begun on control (which it outlives), and has ended with the bus.
    void running(std::size_t bus, const RunControl& control);
    void ended(std::size_t bus, const SiteBus& done);
    void planned(std::size_t bus, const SiteBus& plan);
    void unitChanged(std::size_t bus, std::size_t unit, const SiteUnit& shown);

    // Every bus as an end at once leaves it: a bus whose run had ended as it ended; any other
    // stopped, its units in hand in their boot loader, the units no step reached not done.
    std::vector<SiteBus> endedAtOnce() const;

private:
    mutable std::mutex mutex_;
    std::vector<SiteBus> buses_;
    std::vector<bool> ended_;
    std::vector<const RunControl*> controls_; // nullptr: not begun, or ended
};
