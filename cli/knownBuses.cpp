#include "knownBuses.h"

#include <algorithm>
#include <sstream>

namespace {

constexpr char kEndedByCtrlC[] = "ended at once by Ctrl-C";
constexpr char kInHandAtTheEnd[] = "being written when the program ended at once";

std::vector<std::string> addressesOf(const std::string& units) {
    std::vector<std::string> addresses;
    std::istringstream in(units);
    for (std::string address; std::getline(in >> std::ws, address, ',');)
        addresses.push_back(address);
    return addresses;
}

void endAtOnce(SiteBus& bus, const std::vector<std::string>& inHand) {
    bus.end = Outcome{OutcomeKind::Stopped, kEndedByCtrlC, {}};
    bus.verified = false;
    for (SiteUnit& unit : bus.units) {
        if (std::ranges::find(inHand, unit.address) != inHand.end()) {
            unit.result = SiteResult::LeftInBootLoader;
            unit.reason = kInHandAtTheEnd;
        } else if (unit.result == SiteResult::Planned && !bus.planOnly) {
            unit.result = SiteResult::NotDone;
        }
    }
}

} // namespace

KnownBuses::KnownBuses(const std::vector<std::string>& ports)
    : buses_(ports.size()), ended_(ports.size(), false), controls_(ports.size(), nullptr) {
    for (std::size_t i = 0; i < ports.size(); ++i)
        buses_[i].port = ports[i];
}

void KnownBuses::running(std::size_t bus, const RunControl& control) {
    const std::lock_guard<std::mutex> lock(mutex_);
    controls_.at(bus) = &control;
}

void KnownBuses::ended(std::size_t bus, const SiteBus& done) {
    const std::lock_guard<std::mutex> lock(mutex_);
    buses_.at(bus) = done;
    ended_.at(bus) = true;
    controls_.at(bus) = nullptr;
}

void KnownBuses::planned(std::size_t bus, const SiteBus& plan) {
    const std::lock_guard<std::mutex> lock(mutex_);
    buses_.at(bus) = plan;
    buses_.at(bus).opened = true; // it planned from a survey
}

void KnownBuses::unitChanged(std::size_t bus, std::size_t unit, const SiteUnit& shown) {
    const std::lock_guard<std::mutex> lock(mutex_);
    std::vector<SiteUnit>& units = buses_.at(bus).units;
    if (unit < units.size()) units[unit] = shown;
}

std::vector<SiteBus> KnownBuses::endedAtOnce() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    std::vector<SiteBus> buses = buses_;
    for (std::size_t i = 0; i < buses.size(); ++i)
        if (!ended_[i])
            endAtOnce(buses[i], controls_[i] != nullptr ? addressesOf(controls_[i]->unitsInHand())
                                                        : std::vector<std::string>{});
    return buses;
}
