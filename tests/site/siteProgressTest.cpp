// What each row's bar shows during a site run, in virtual time: its own unit's pages, full only
// once that unit was confirmed running, left where a unit that failed stopped; and a search of
// every LA, which moves no bar.

#include "image/fileSelection.h"
#include "image/pageFormat.h"
#include "link/silentConsole.h"
#include "site/siteRun.h"
#include "tests/site/siteFixture.h"
#include "tests/support/folderTrust.h"
#include "tests/support/simBus.h"
#include "upgrade/pageBar.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>

namespace {

// Controller 01 is current; 0101 and 0102 share a file and are written at once, 0103 has a
// file of its own and is written after them.
const char* kThreeTerminals = R"({"controllers": [
  {"name": "c1", "model": "AB", "la": "01", "fixedAddress": "10000001", "productId": 5,
   "version": "4.20", "terminals": [
     {"name": "t1", "la": "01", "fixedAddress": "20000101", "productId": 3, "version": "1.02"},
     {"name": "t2", "la": "02", "fixedAddress": "20000102", "productId": 3, "version": "1.02"},
     {"name": "t3", "la": "03", "fixedAddress": "20000103", "productId": 38, "version": "3.04"}]}]})";

// One thing the observer heard, in the order it heard it.
struct Heard {
    std::string step; // the step running then
    std::string unit; // the row's address; empty for a search
    int value = 0;    // the row's percent, or the LA searched
    int of = 0;       // the last LA of the search
};

class SiteProgress : public ::testing::Test {
protected:
    explicit SiteProgress(const std::string& network = sitetest::mixedSite())
        : bus(console, testkit::networkFrom(network)) {
        sitetest::copySamples(folder.path());
    }

    SiteBus run() {
        SiteObserver observer;
        observer.planned = [&](const SiteBus& plan) {
            for (std::size_t i = 0; i < plan.units.size(); ++i)
                addresses[i] = plan.units[i].address;
        };
        observer.stepStarted = [&](const std::string& title, int, int, const FirmwareImage&) {
            step = title;
        };
        observer.progress = [&](std::size_t row, int percent) {
            heard.push_back({step, addresses.at(row), percent, 0});
        };
        observer.scanning = [&](int la, int of) { heard.push_back({step, "", la, of}); };
        OperationContext context = bus.context();
        return runSite(context, "COM1", {false, false, ControllerModel::AB}, observer);
    }

    // The percents one row showed during a step, in order.
    std::vector<int> barOf(const std::string& unit, const std::string& during) const {
        std::vector<int> values;
        for (const Heard& h : heard)
            if (h.unit == unit && h.step == during) values.push_back(h.value);
        return values;
    }

    WorkingFolder folder;
    RecordingConsole console;
    testkit::VirtualBus bus;
    std::map<std::size_t, std::string> addresses;
    std::string step;
    std::vector<Heard> heard;
};

constexpr char kTerminalsOf01[] = "Site: terminals of controller 01, ALL units";

// The mixed site: 0101 and 0102 are of two classes under one "ALL units" step, written in
// turn; the A/B controllers' step searches all 64 LAs before its pages.
TEST_F(SiteProgress, EachRowFollowsItsOwnUnitAndTheSearchMovesNone) {
    const SiteBus site = run();
    ASSERT_TRUE(siteSucceeded(site));

    const std::vector<int> first = barOf("0101", kTerminalsOf01);
    const std::vector<int> second = barOf("0102", kTerminalsOf01);
    ASSERT_GE(first.size(), 3u);
    ASSERT_GE(second.size(), 3u);
    // Each climbs, its pages all in at 99, and full only with its confirmation.
    for (const std::vector<int>* bar : {&first, &second}) {
        EXPECT_TRUE(std::is_sorted(bar->begin(), bar->end()));
        EXPECT_EQ(bar->front(), 0);
        EXPECT_EQ(bar->back(), 100);
        EXPECT_EQ((*bar)[bar->size() - 2], 99);
    }
    // 0102's pages start only after 0101 was confirmed, and 0101 stays full meanwhile.
    std::optional<int> firstNow;
    for (const Heard& h : heard) {
        if (h.step != kTerminalsOf01) continue;
        if (h.unit == "0101") firstNow = h.value;
        if (h.unit == "0102" && h.value > 0) {
            EXPECT_EQ(firstNow, 100);
        }
    }

    // The search asks every LA in turn, and no row moves while it runs.
    const std::string controllers = "Site: A/B controllers, ALL units";
    std::vector<int> searched;
    bool rowMovedDuringSearch = false;
    for (const Heard& h : heard) {
        if (h.step != controllers) continue;
        if (h.unit.empty()) {
            EXPECT_EQ(h.of, 64);
            searched.push_back(h.value);
        } else if (!searched.empty() && searched.back() < 64) {
            rowMovedDuringSearch = true;
        }
    }
    ASSERT_EQ(searched.size(), 64u);
    for (int la = 1; la <= 64; ++la)
        EXPECT_EQ(searched[la - 1], la);
    EXPECT_FALSE(rowMovedDuringSearch);
    EXPECT_EQ(barOf("0100", controllers).back(), 100);
}

class SiteProgressWithAFailure : public SiteProgress {
protected:
    SiteProgressWithAFailure() : SiteProgress(kThreeTerminals) {}
};

// 0102 refuses one page every time: its bar stays at the pages it took before that one (in
// both passes of its class), while 0101 is confirmed and 0103 is written after them.
TEST_F(SiteProgressWithAFailure, AFailedUnitKeepsTheBarWhereItStopped) {
    FirmwareImage image;
    SilentConsole quiet;
    ASSERT_TRUE(LoadApplicationFile(image, quiet, 3, UnitType::Terminal, UpgradeType::AllUnits,
                                    folderTrust()));
    std::vector<std::int32_t> starts;
    image.cursor = 0;
    while (image.cursor <= image.highestWritten) {
        const std::string page = FormatWriteData(image);
        if (!page.empty())
            starts.push_back(static_cast<std::int32_t>(std::stoul(page.substr(0, 8), nullptr, 16) &
                                                       (FirmwareImage::kSize - 1)));
    }
    const std::size_t faulty = starts.size() / 2;
    bus.network.unit("t2")->faults.pageFault =
        sim::FlashFault{static_cast<std::uint32_t>(starts[faulty]), 0x03, true, false};

    const SiteBus site = run();
    EXPECT_FALSE(siteSucceeded(site));

    const std::vector<int> failed = barOf("0102", kTerminalsOf01);
    ASSERT_FALSE(failed.empty());
    const int stoppedAt =
        PageBar::position(static_cast<int>(faulty), static_cast<int>(starts.size()));
    EXPECT_GT(stoppedAt, 0);
    EXPECT_EQ(failed.back(), stoppedAt);
    EXPECT_EQ(*std::max_element(failed.begin(), failed.end()), stoppedAt);
    EXPECT_EQ(barOf("0101", kTerminalsOf01).back(), 100);
    EXPECT_EQ(barOf("0103", kTerminalsOf01).back(), 100);
}

} // namespace
