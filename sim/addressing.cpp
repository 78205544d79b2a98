#include "sim/addressing.h"

#include "sim/hexCodec.h"

#include <functional>
#include <optional>

namespace sim {

namespace {
constexpr std::uint32_t kAll = 0xFF, kNone = 0x00;

bool isControllerTerminal(const Unit& unit) {
    return unit.kind == UnitKind::Terminal && unit.controller >= 0;
}

std::uint8_t controllerLa(const Network& network, const Unit& terminal) {
    return network.units[static_cast<std::size_t>(terminal.controller)].la;
}

Reach collect(const Network& network, bool broadcast, Rank rank,
              const std::function<bool(const Unit&)>& matches) {
    Reach reach;
    reach.broadcast = broadcast;
    reach.rank = rank;
    for (std::size_t i = 0; i < network.units.size(); ++i)
        if (matches(network.units[i])) reach.units.push_back(static_cast<int>(i));
    return reach;
}

Reach controllerSide(const Network& network, std::uint32_t cc, std::uint32_t tt) {
    bool allControllers = cc == kAll;
    auto ownedBy = [&](const Unit& u) {
        return isControllerTerminal(u) && (allControllers || controllerLa(network, u) == cc);
    };
    if (tt == kNone)
        return collect(network, allControllers, Rank::Controllers, [&](const Unit& u) {
            return u.kind == UnitKind::Controller && (allControllers || u.la == cc);
        });
    if (tt == kAll)
        return collect(network, true, Rank::ControllerTerminals,
                       [&](const Unit& u) { return ownedBy(u); });
    return collect(network, allControllers, Rank::ControllerTerminals,
                   [&](const Unit& u) { return ownedBy(u) && u.la == tt; });
}

Reach busSide(const Network& network, std::uint32_t tt) {
    if (tt == kNone) return {};
    bool all = tt == kAll;
    return collect(network, all, Rank::BusTerminals, [&](const Unit& u) {
        return u.kind == UnitKind::BusTerminal && (all || u.la == tt);
    });
}
} // namespace

Reach resolveAddress(const Network& network, std::string_view address) {
    Reach host = collect(network, false, Rank::None, [&](const Unit& u) {
        return u.kind == UnitKind::Host && u.hostPosition == address;
    });
    if (!host.units.empty()) return host;
    std::optional<std::uint32_t> cc = hexAt(address, 0, 2);
    std::optional<std::uint32_t> tt = hexAt(address, 2, 2);
    if (address.size() != 4 || !cc || !tt) return {};
    if (*cc == kNone) return busSide(network, *tt);
    return controllerSide(network, *cc, *tt);
}

std::string unitAddress(const Network& network, const Unit& unit) {
    switch (unit.kind) {
    case UnitKind::Controller:
        return hex2(unit.la) + "00";
    case UnitKind::Terminal:
        return hex2(unit.controller >= 0 ? controllerLa(network, unit) : 0) + hex2(unit.la);
    case UnitKind::BusTerminal:
        return "00" + hex2(unit.la);
    case UnitKind::Host:
        return unit.hostPosition;
    }
    return "0000";
}

int findUnit(const Network& network, const std::string& name) {
    for (std::size_t i = 0; i < network.units.size(); ++i)
        if (network.units[i].name == name) return static_cast<int>(i);
    return -1;
}

} // namespace sim
