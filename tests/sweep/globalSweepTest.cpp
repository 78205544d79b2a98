// The all-at-once upgrade of four terminals, one of which loses its power at a spread of the
// run's frames: the other three are upgraded whatever happens to it, and a second run repairs
// it when the first could not.

#include "sweepImages.h"
#include "sweepTally.h"

#include <iostream>
#include <optional>

using namespace sweep;

namespace {

constexpr char kFourTerminals[] = R"({ "seed": 5, "controllers": [
  { "name": "c1", "la": "01", "fixedAddress": "10000001", "productId": 5, "terminals": [
    { "name": "t1", "la": "01", "fixedAddress": "20000101", "productId": 3, "version": "1.02" },
    { "name": "t2", "la": "02", "fixedAddress": "20000102", "productId": 3, "version": "1.02" },
    { "name": "t3", "la": "03", "fixedAddress": "20000103", "productId": 3, "version": "1.02" },
    { "name": "t4", "la": "04", "fixedAddress": "20000104", "productId": 3, "version": "1.02" }
  ] } ] })";
const std::vector<std::string> kUnits = {"t1", "t2", "t3", "t4"};
constexpr char kCut[] = "t3";

// Optionally the cut unit also fails one page the first time, so that the run repairs it.
sim::Network cutAtFrame(std::uint32_t k, std::uint32_t offMs,
                        std::optional<std::uint32_t> failedPage = std::nullopt) {
    sim::Network network = testkit::networkFrom(kFourTerminals);
    sim::UnitFaults& faults =
        network.units[static_cast<std::size_t>(sim::findUnit(network, kCut))].faults;
    faults.powerLoss = sim::PowerLoss{0, offMs, false, k - 1};
    if (failedPage) faults.pageFault = sim::FlashFault{*failedPage, 0x03, false, false};
    return network;
}

std::string problemsOf(Bench& bench, const FirmwareImage& image,
                       const std::vector<std::string>& names) {
    std::string why;
    for (const std::string& name : names)
        why += unitProblem(bench.unitNow(name), image);
    return why;
}

struct Cuts {
    std::uint32_t offMs;
    bool pageError; // the cut unit fails a page once, and gets it again on its own
};

// A short dip is ridden out or repaired within the run (its second pass); a long one outlasts
// both passes, the run fails and the next one repairs the unit.
class GlobalSweep : public ::testing::TestWithParam<Cuts> {};

TEST_P(GlobalSweep, TheCutUnitFailsAloneAndTheNextRunRepairsIt) {
    WorkingFolder folder;
    upgradetest::writeFirmware("Terminal-K2.hex", fwgen::FileFormat::Hex16, 2, 21, 2048, 5);
    const FirmwareImage image = unitImage(3, UnitType::Terminal, UpgradeType::AllUnits);
    std::optional<std::uint32_t> failedPage;
    if (GetParam().pageError)
        failedPage = static_cast<std::uint32_t>(upgradetest::pageStarts(image).at(4));

    Plan plan;
    plan.upgradeType = UpgradeType::AllUnits;
    plan.offMs = GetParam().offMs;
    plan.settings = settingsFor(UnitType::Terminal, UpgradeType::AllUnits, "01", "FF");
    plan.whatIsWrong = [&](Bench& bench) { return problemsOf(bench, image, kUnits); };
    plan.failedRunFault = [&](Bench& bench, const RunEnd& end) {
        std::string why = problemsOf(bench, image, {"t1", "t2", "t4"});
        if (!end.said("Unit 0103 upgrade Failed!")) why += "t3 not reported failed; ";
        return why;
    };

    // The clean run counts the frames; a cut beyond the last would change nothing.
    VirtualBench clean(cutAtFrame(0xFFFFFFF, plan.offMs, failedPage));
    ASSERT_TRUE(clean.upgrade(plan.settings, plan.unitType, plan.upgradeType).done);
    ASSERT_EQ(plan.whatIsWrong(clean), "");
    const auto frames = static_cast<std::uint32_t>(clean.network().frames.size());

    Tally tally("global, " + std::to_string(plan.offMs / 1000) + " s off" +
                (failedPage ? ", a page repaired" : ""));
    for (std::uint32_t k = 1; k <= frames; ++k) {
        VirtualBench bench(cutAtFrame(k, plan.offMs, failedPage));
        runCell(tally, plan, bench, "frame " + std::to_string(k));
    }
    std::cout << tally.report();
    EXPECT_EQ(tally.falseSuccesses, 0) << tally.report();
    EXPECT_EQ(tally.failedRecoveries, 0) << tally.report();
    EXPECT_EQ(tally.unended, 0) << tally.report();
    EXPECT_TRUE(tally.findings.empty()) << tally.report();
}

void PrintTo(const Cuts& cuts, std::ostream* out) {
    *out << cuts.offMs << " ms off" << (cuts.pageError ? ", a page repaired" : "");
}

std::string cutsName(const ::testing::TestParamInfo<Cuts>& info) {
    return std::to_string(info.param.offMs / 1000) + "sOff" +
           (info.param.pageError ? "WithAPageRepaired" : "");
}

INSTANTIATE_TEST_SUITE_P(ShortAndLongCuts, GlobalSweep,
                         ::testing::Values(Cuts{3000, false}, Cuts{60000, false}, Cuts{3000, true}),
                         cutsName);

} // namespace
