#pragma once
// How long a procedure may take at most when every exchange waits out all of its attempts:
// the catalogue's time-outs, retries and pauses, the image's page count and the network's
// size. A run that takes longer than this has hung.

#include "link/catalogue.h"

#include <cstddef>
#include <cstdint>

namespace faultmatrix {

struct LineBudget {
    std::uint16_t minimumTimeout = 0;
    std::uint32_t replyDelayMs = 0;
    std::uint32_t baud = 38400;
    int extraAttempts = 0; // the operator's extra attempts for requests safe to repeat

    // A request of requestChars that waits out every attempt of use.
    std::uint64_t exchange(TimeoutRetries use, std::size_t requestChars = kShortRequest) const;
    // A request whose reply is not read.
    std::uint64_t send(std::size_t requestChars = kShortRequest) const;
    // A wait that is tested after each exchange: the limit plus the exchange that crosses it.
    std::uint64_t pollUntil(std::uint32_t limitMs, TimeoutRetries use) const;

    // Every request but a page fits in this many characters.
    static constexpr std::size_t kShortRequest = 128;

private:
    std::uint64_t wireMs(std::size_t chars) const;
};

// The Upgrade button's frame around every run: "9B00" before, "9B01" after.
std::uint64_t runFrameBound(const LineBudget& line);
// One unit through the single-unit upgrade, image of pages pages of at most pageChars.
std::uint64_t singleUpgradeBound(const LineBudget& line, std::size_t pages, std::size_t pageChars);
// Discovery of units (by list or by scan) and the all-at-once upgrade of them.
std::uint64_t globalAllBound(const LineBudget& line, int units, int classes, std::size_t pages,
                             std::size_t pageChars);
// A remote behind a terminal: identification, then both flash areas block by block.
std::uint64_t remoteUpgradeBound(const LineBudget& line);
// The survey of a network of controllers with terminals in all.
std::uint64_t surveyBound(const LineBudget& line, int controllers, int terminals);

} // namespace faultmatrix
