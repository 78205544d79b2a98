#include "product/products.h"
#include "product/productFiles.h"
#include "product/upgradeCases.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using Range = std::pair<int, int>;

bool inRanges(int id, const std::vector<Range>& ranges) {
    for (const auto& [low, high] : ranges)
        if (id >= low && id <= high) return true;
    return false;
}

TEST(ProductTable, KnowsExactlyTheListedIds) {
    const std::vector<Range> known{{1, 42}, {46, 53}, {55, 72}, {74, 97}};
    int count = 0;
    for (int id = 0; id <= 255; ++id) {
        const auto productId = static_cast<std::uint8_t>(id);
        const bool expected = inRanges(id, known);
        EXPECT_EQ(isKnownProduct(productId), expected) << id;
        const std::string name = getProductName(productId);
        if (expected) {
            ++count;
            EXPECT_TRUE(name.starts_with("Nexalo ")) << id;
            EXPECT_GT(name.size(), std::string("Nexalo ").size()) << id;
            EXPECT_NE(getProductKind(productId), UnitKind::ukUnknown) << id;
        } else {
            EXPECT_EQ(name, "Unknown Product ID!") << id;
            EXPECT_EQ(getProductKind(productId), UnitKind::ukUnknown) << id;
        }
    }
    EXPECT_EQ(count, 92);
    for (int id : {0, 43, 44, 45, 54, 73, 98, 255})
        EXPECT_EQ(getProductName(static_cast<std::uint8_t>(id)), "Unknown Product ID!") << id;
}

TEST(ProductTable, EveryDescriptionIsItsOwn) {
    std::set<std::string> names;
    for (int id = 1; id <= 97; ++id) {
        const auto productId = static_cast<std::uint8_t>(id);
        if (!isKnownProduct(productId)) continue;
        EXPECT_TRUE(names.insert(getProductName(productId)).second) << id;
    }
    EXPECT_EQ(names.size(), 92u);
    EXPECT_NE(getProductName(5), getProductName(27));
}

TEST(ProductTable, KindsFollowTheUnitClasses) {
    const std::vector<std::pair<UnitKind, std::vector<Range>>> classes{
        {UnitKind::ukController, {{5, 5}, {27, 28}, {50, 50}}},
        {UnitKind::ukHostInterface, {{18, 18}, {48, 48}, {68, 68}}},
        {UnitKind::ukRegistrationReader, {{49, 49}, {66, 67}}},
        {UnitKind::ukTagPilot, {{19, 19}}},
        {UnitKind::ukOther, {{16, 16}, {20, 21}, {29, 29}, {47, 47}}},
        {UnitKind::ukRemote,
         {{22, 26},
          {31, 35},
          {55, 62},
          {64, 64},
          {69, 69},
          {74, 74},
          {76, 79},
          {85, 88},
          {90, 90},
          {92, 92},
          {94, 97}}},
    };
    for (int id = 1; id <= 97; ++id) {
        const auto productId = static_cast<std::uint8_t>(id);
        if (!isKnownProduct(productId)) continue;
        UnitKind expected = UnitKind::ukTerminal;
        for (const auto& [kind, ranges] : classes)
            if (inRanges(id, ranges)) expected = kind;
        EXPECT_EQ(getProductKind(productId), expected) << id;
    }
}

TEST(ProductTable, BracketedSetIsTheRemotesWithASecondVersion) {
    const std::vector<Range> bracketed{{31, 35}, {55, 62}, {64, 64}, {69, 69}, {74, 74},
                                       {76, 79}, {85, 88}, {92, 92}, {94, 97}};
    for (int id = 0; id <= 255; ++id)
        EXPECT_EQ(isBracketedProduct(static_cast<std::uint8_t>(id)), inRanges(id, bracketed)) << id;
    EXPECT_TRUE(isBracketedProduct(31));
    EXPECT_FALSE(isBracketedProduct(90));
    EXPECT_FALSE(isBracketedProduct(22));
}

// The rows and the special cases of the upgrades must agree: a remote behind a terminal has a
// remote image and no application file, the one remote of a generation with its own pass has
// one, and the terminal file that stands in for a generation is the file of a terminal.
TEST(ProductTable, UpgradeCasesAgreeWithTheRows) {
    constexpr UnitType kUnitTypes[] = {UnitType::Terminal, UnitType::ControllerAB,
                                       UnitType::HostInterface, UnitType::ControllerCD,
                                       UnitType::Remote};
    for (int id = 0; id <= 255; ++id) {
        const auto productId = static_cast<std::uint8_t>(id);
        for (UnitType unitType : kUnitTypes) {
            const SingleUnitCase special = singleUnitCase(GetUpgradeType(productId, unitType));
            const bool file = ApplicationFileFor(productId, unitType).has_value();
            if (special.route == RemoteRoute::ThroughTerminal) {
                EXPECT_FALSE(file) << id;
                EXPECT_EQ(getProductKind(productId), UnitKind::ukRemote) << id;
            }
            if (special.route == RemoteRoute::OwnPass) {
                EXPECT_TRUE(file) << id;
            }
            if (special.route == RemoteRoute::NotRemote) {
                EXPECT_FALSE(RemoteImageFileName(productId).has_value()) << id;
            }
        }
        EXPECT_EQ(isPassedOverByBroadcast(productId), id >= 31 && id <= 36) << id;
    }
    // The gateway of the second generation has no file, so its remotes are refused as
    // terminals; the hub of the third has one.
    EXPECT_EQ(singleUnitCase(15).terminalFileProduct, 75);
    EXPECT_FALSE(ApplicationFileFor(75, UnitType::Terminal));
    EXPECT_EQ(singleUnitCase(19).terminalFileProduct, 81);
    EXPECT_EQ(ApplicationFileFor(81, UnitType::Terminal)->name, "Terminal-P9.s28");
    EXPECT_EQ(singleUnitCase(18).entry, UpgradeEntry::Extended);
    EXPECT_EQ(singleUnitCase(19).entry, UpgradeEntry::ExtendedAsRemote);
    EXPECT_EQ(singleUnitCase(12).entry, UpgradeEntry::Plain);
    EXPECT_EQ(singleUnitCase(0).route, RemoteRoute::NotRemote);
}

} // namespace
