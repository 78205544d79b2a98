#include "product/upgradeCases.h"

#include "product/productTable.h"

#include <array>

namespace {

struct ClassCase {
    std::uint8_t upgradeClass;
    SingleUnitCase special;
};

constexpr RemoteRoute kThroughTerminal = RemoteRoute::ThroughTerminal;
constexpr RemoteRoute kOwnPass = RemoteRoute::OwnPass;

// Three generations of remotes: in each, the remotes that their terminal carries the image to
// and the one product that takes an application file of its own. Under the unit type
// "Terminal" the later two are given the file of the terminal that serves them (75, which has
// no file, and 81). The third generation's boot loader wants the longer entry command: always
// for those behind a terminal, for the one with its own file when it is upgraded as a remote.
constexpr std::array kClassCases{
    ClassCase{12, {kThroughTerminal, 0, UpgradeEntry::Plain}},
    ClassCase{13, {kOwnPass, 0, UpgradeEntry::Plain}},
    ClassCase{15, {kThroughTerminal, 75, UpgradeEntry::Plain}},
    ClassCase{16, {kOwnPass, 75, UpgradeEntry::Plain}},
    ClassCase{18, {kThroughTerminal, 81, UpgradeEntry::Extended}},
    ClassCase{19, {kOwnPass, 81, UpgradeEntry::ExtendedAsRemote}},
};

} // namespace

SingleUnitCase singleUnitCase(std::uint8_t upgradeClass) {
    for (const ClassCase& row : kClassCases)
        if (row.upgradeClass == upgradeClass) return row.special;
    return {};
}

bool isPassedOverByBroadcast(std::uint8_t productId) {
    const Product* product = findProduct(productId);
    return product && (product->flags & pfNoBroadcast) != 0;
}
