// A remote upgrade with the remote's power cut at a spread of its requests: the first ones,
// every request of a few application blocks, the vector block and the last ones.

#include "sweepImages.h"
#include "sweepTally.h"

#include <iostream>
#include <set>

using namespace sweep;

namespace {

constexpr char kRemoteBehindTerminal[] = R"({ "seed": 11, "controllers": [
  { "name": "c1", "la": "05", "productId": 5, "terminals": [
    { "name": "r1", "la": "13", "productId": 31, "version": "1.05",
      "remote": { "productId": 31, "version": "2.03" } } ] } ] })";

// Written as a network file would say it.
sim::Network cutAtRemoteRequest(std::uint32_t k, std::uint32_t offMs) {
    return testkit::networkFrom(R"({ "seed": 11, "controllers": [
      { "name": "c1", "la": "05", "productId": 5, "terminals": [
        { "name": "r1", "la": "13", "productId": 31, "version": "1.05",
          "remote": { "productId": 31, "version": "2.03",
                      "powerLoss": { "afterRequests": )" +
                                std::to_string(k - 1) + R"(, "offMs": )" + std::to_string(offMs) +
                                "} } } ] } ] }");
}

// Request numbers (from 1) of the requests that go to the chosen blocks, block 108 being the
// vector block, with the first and last few requests of the run.
std::vector<std::uint32_t> spread(const std::vector<std::vector<std::uint8_t>>& requests,
                                  const std::set<int>& blocks) {
    std::vector<std::uint32_t> chosen;
    int block = -1;
    const auto n = static_cast<std::uint32_t>(requests.size());
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::vector<std::uint8_t>& r = requests[i];
        if (r.size() == 3 && r[0] == remote::RequestSetAddress)
            block = ((r[1] << 8 | r[2]) - remote::ApplicationFirst) / remote::BlockSize;
        if (r.size() == 1 && r[0] == remote::RequestLeave) block = -1;
        if (i < 4 || i + 3 >= n || blocks.contains(std::min(block, remote::BlockCount)))
            chosen.push_back(i + 1);
    }
    return chosen;
}

TEST(RemoteSweep, EveryCutEndsInATrueSuccessOrAFailureTheNextRunRepairs) {
    WorkingFolder folder;
    upgradetest::writeFirmware("remoteR1.s19", fwgen::FileFormat::S19, 2, 51, 6910, 9);
    const FirmwareImage image = remoteImage(31);

    Plan plan;
    plan.unitType = UnitType::Remote;
    plan.settings = settingsFor(UnitType::Remote, UpgradeType::SingleUnit, "05", "13");
    plan.whatIsWrong = [&](Bench& bench) {
        return remoteProblem(bench.unitNow("r1").remote, image);
    };

    VirtualBench clean(testkit::networkFrom(kRemoteBehindTerminal));
    ASSERT_TRUE(clean.upgrade(plan.settings, plan.unitType, plan.upgradeType).done);
    ASSERT_EQ(plan.whatIsWrong(clean), "");
    const std::vector<std::uint32_t> cuts =
        spread(clean.unit("r1").remote.requests, {0, 1, 53, 106, 107, remote::BlockCount});

    Tally tally("remote");
    for (std::uint32_t k : cuts) {
        VirtualBench bench(cutAtRemoteRequest(k, plan.offMs));
        runCell(tally, plan, bench, "remote request " + std::to_string(k));
    }
    std::cout << tally.report();
    EXPECT_EQ(tally.runs, static_cast<int>(cuts.size()));
    EXPECT_EQ(tally.falseSuccesses, 0) << tally.report();
    EXPECT_EQ(tally.failedRecoveries, 0) << tally.report();
    EXPECT_EQ(tally.unended, 0) << tally.report();
    EXPECT_GT(tally.failed, 0);
}

} // namespace
