#include "site/siteBus.h"

#include <algorithm>

namespace {
constexpr char kNoUnits[] = "No units found!";
constexpr char kNotVerified[] = "not every planned unit verified";
constexpr char kBootLoader[] = "a unit is left in its boot loader";
} // namespace

bool plannedNothing(const SiteBus& bus) {
    return std::none_of(bus.units.begin(), bus.units.end(),
                        [](const SiteUnit& unit) { return unit.action == SiteAction::Upgrade; });
}

std::vector<std::string> leftInBootLoader(const SiteBus& bus) {
    std::vector<std::string> addresses;
    for (const SiteUnit& unit : bus.units)
        if (unit.result == SiteResult::LeftInBootLoader) addresses.push_back(unit.address);
    return addresses;
}

std::vector<std::string> sharedAddresses(const SiteBus& bus) {
    std::vector<std::string> addresses;
    for (const SiteUnit& unit : bus.units)
        if (unit.sharesAddress &&
            std::find(addresses.begin(), addresses.end(), unit.address) == addresses.end())
            addresses.push_back(unit.address);
    return addresses;
}

std::vector<std::string> refusedUnits(const SiteBus& bus) {
    std::vector<std::string> units;
    for (const SiteUnit& unit : bus.units)
        if (unit.result == SiteResult::Refused) units.push_back(addressWithReason(unit));
    return units;
}

// Every planned unit was proven upgraded, but for those refused before anything was sent.
bool provenButRefused(const SiteBus& bus) {
    return std::all_of(bus.units.begin(), bus.units.end(), [](const SiteUnit& unit) {
        return unit.action != SiteAction::Upgrade || unit.result == SiteResult::Upgraded ||
               unit.result == SiteResult::Refused;
    });
}

Outcome siteOutcome(const SiteBus& bus) {
    if (!bus.end.succeeded()) return bus.end;
    if (bus.units.empty()) return Outcome::failed(kNoUnits);
    if (bus.planOnly) return Outcome::completed();
    if (!leftInBootLoader(bus).empty()) return Outcome::failed(kBootLoader);
    // Two units at one address: neither is known to run its file, whatever else was proven.
    if (const std::vector<std::string> shared = sharedAddresses(bus); !shared.empty())
        return Outcome::failed(sharedAddressReason(shared.front()));
    if (!bus.verified && !plannedNothing(bus) && !provenButRefused(bus))
        return Outcome::failed(kNotVerified);
    // A unit whose file was refused is not where the site wants it, whatever else was proven.
    const std::vector<std::string> refused = refusedUnits(bus);
    if (!refused.empty()) {
        std::string reason = "refused: ";
        for (std::size_t i = 0; i < refused.size(); ++i)
            reason += (i == 0 ? "" : ", ") + refused[i];
        return Outcome::refused(reason);
    }
    return Outcome::completed();
}
