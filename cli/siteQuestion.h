#pragma once
// The question a person at a terminal answers before a site run changes anything, asked once
// for all buses: each bus's run hands in its plan and waits; the last bus to come in asks, with
// the units and the time of every bus, and each run goes on or not by that one answer. A bus
// whose run ended without asking (its port did not open, it had nothing to upgrade) comes in
// all the same.

#include "site/siteBus.h"
#include "site/sitePlan.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

class SiteQuestion {
public:
    // trust is the run's, read once for every bus, and outlives the question.
    SiteQuestion(std::size_t buses, ControllerModel model, std::uint32_t bitsPerSecond,
                 const FirmwareTrust& trust, int extraAttempts);

    // On bus's worker, with its plan: whether the run goes on. Blocks until every bus is in.
    bool goOn(std::size_t bus, const SiteBus& plan);
    // On bus's worker, once its run has ended: a bus still waiting is no longer held by it.
    void ended(std::size_t bus);
    // The operator said no: nothing was upgraded.
    bool declined() const;

private:
    // Under the lock: the bus is in; the last one asks.
    void arrive(std::size_t bus, const SiteBus* plan);
    bool ask() const;

    ControllerModel model_;
    std::uint32_t bitsPerSecond_;
    int extraAttempts_;
    const FirmwareTrust& trust_;
    mutable std::mutex mutex_;
    std::condition_variable answered_;
    std::vector<bool> in_;
    std::vector<SiteBus> plans_;
    std::optional<bool> answer_;
};
