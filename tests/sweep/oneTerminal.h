#pragma once
// The network of the single-unit sweeps: one terminal behind its controller, and a small
// image for it, so that a run has few enough frames to cut at every one of them.

#include "sweepImages.h"
#include "sweepTally.h"
#include "tests/support/simBus.h"

namespace sweep {

inline constexpr char kOneTerminal[] = R"({ "seed": 7, "controllers": [
  { "name": "c1", "la": "01", "productId": 5, "terminals": [
    { "name": "t1", "la": "01", "productId": 3, "version": "1.02" } ] } ] })";

// Written into the working folder; the image the tool then reads from it.
inline FirmwareImage writeTerminalFile(std::uint32_t size = 8192) {
    upgradetest::writeFirmware("Terminal-K2.hex", fwgen::FileFormat::Hex16, 2, 21, size, 5);
    return unitImage(3, UnitType::Terminal, UpgradeType::SingleUnit);
}

// The power of t1 goes as frame k crosses the line: that frame and every one for offMs after
// it go unheard. Written as a network file would say it.
inline sim::Network oneTerminalCutAtFrame(std::uint32_t k, std::uint32_t offMs) {
    return testkit::networkFrom(R"({ "seed": 7, "controllers": [
      { "name": "c1", "la": "01", "productId": 5, "terminals": [
        { "name": "t1", "la": "01", "productId": 3, "version": "1.02",
          "faults": { "powerLoss": { "afterFrames": )" +
                                std::to_string(k - 1) + R"(, "offMs": )" + std::to_string(offMs) +
                                "} } } ] } ] }");
}

inline Plan oneTerminalPlan(const FirmwareImage& image) {
    Plan plan;
    plan.settings = settingsFor(UnitType::Terminal, UpgradeType::SingleUnit, "01", "01");
    plan.whatIsWrong = [&image](Bench& bench) { return unitProblem(bench.unitNow("t1"), image); };
    return plan;
}

} // namespace sweep
