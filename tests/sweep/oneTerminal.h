#pragma once
// The network of the single-unit sweeps: one terminal behind its controller, and a small
// image for it, so that a run has few enough frames to cut at every one of them.

#include "sweepImages.h"
#include "sweepTally.h"

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
// it go unheard.
inline sim::Network oneTerminalCutAtFrame(std::uint32_t k, std::uint32_t offMs) {
    sim::Network network = simtest::networkFrom(kOneTerminal);
    network.units[static_cast<std::size_t>(sim::findUnit(network, "t1"))].faults.powerLoss =
        sim::PowerLoss{0, offMs, false, k - 1};
    return network;
}

inline Plan oneTerminalPlan(const FirmwareImage& image) {
    Plan plan;
    plan.settings = settingsFor(UnitType::Terminal, UpgradeType::SingleUnit, "01", "01");
    plan.whatIsWrong = [&image](Bench& bench) { return unitProblem(bench.unitNow("t1"), image); };
    return plan;
}

} // namespace sweep
