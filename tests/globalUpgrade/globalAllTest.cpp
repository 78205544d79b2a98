// All units of a class at once, in virtual time: the image travels once per class and pass,
// errors are repaired unit by unit, and a stop or a failing unit ends the run in order.

#include "image/fileSelection.h"
#include "tests/support/folderTrust.h"
#include "upgrade/global.h"
#include "upgradeFixture.h"

using namespace upgradetest;

namespace {

constexpr char kTerminals[] = R"({ "controllers": [
  { "name": "c1", "la": "01", "productId": 5, "terminals": [
    { "name": "t1", "la": "01", "productId": 3, "version": "1.02" },
    { "name": "t2", "la": "02", "productId": 3, "version": "1.02" },
    { "name": "t3", "la": "03", "productId": 38, "version": "3.04" } ] } ] })";

class TerminalsAllAtOnce : public UpgradeInVirtualTime {
protected:
    TerminalsAllAtOnce() : UpgradeInVirtualTime(kTerminals) {
        terminalsOf("01", UpgradeType::AllUnits);
        writeFirmware("Terminal-K2.hex", fwgen::FileFormat::Hex16, 2, 21, 4096, 5);
        writeFirmware("Terminal-P4.S28", fwgen::FileFormat::S28, 3, 24, 4096, 6);
        k2 = imageOf(3);
        p4 = imageOf(38);
    }
    FirmwareImage imageOf(std::uint8_t productId) {
        FirmwareImage loaded;
        SilentConsole quiet;
        EXPECT_TRUE(LoadApplicationFile(loaded, quiet, productId, UnitType::Terminal,
                                        UpgradeType::AllUnits, folderTrust()));
        return loaded;
    }
    void upgrade() {
        UpgradeRun r = run();
        GoUpgradeGlobalAll(r);
    }
    // Page addresses of the page broadcasts, in the order they went out.
    std::vector<std::int32_t> broadcastPages() {
        std::vector<std::int32_t> pages;
        for (const sim::ReceivedFrame& f : network.network().frames)
            if (f.address == "01FF" && f.command.starts_with(cmd::WritePageCode))
                pages.push_back(static_cast<std::int32_t>(
                    std::stoul(f.command.substr(2, 8), nullptr, 16) & (FirmwareImage::kSize - 1)));
        return pages;
    }
    void expectUpgraded(const std::string& name, const FirmwareImage& image) {
        EXPECT_TRUE(flashHolds(unit(name), image));
        EXPECT_EQ(unit(name).version, image.fileVersion) << name;
        EXPECT_FALSE(unit(name).upgradeMode) << name;
    }
    std::vector<std::string> lastLines(std::size_t n) {
        const auto& lines = console.statusLines;
        return {lines.end() - static_cast<std::ptrdiff_t>(std::min(n, lines.size())), lines.end()};
    }
    int linesWith(const std::string& text) {
        return static_cast<int>(std::ranges::count(console.statusLines, text));
    }

    FirmwareImage k2, p4;
};

TEST_F(TerminalsAllAtOnce, TwoClassesEachTakeTheirImageOnceFramedByTheController) {
    found(1, 3, 0x0102);
    found(2, 3, 0x0102);
    found(3, 38, 0x0304);
    upgrade();

    // Class of LA 1 first, each page of each image once as a broadcast, never to one unit.
    std::vector<std::int32_t> expected = pageStarts(k2), second = pageStarts(p4);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(broadcastPages(), expected);
    for (const char* address : {"0101", "0102", "0103"})
        EXPECT_EQ(framesTo(network.network(), address, cmd::WritePageCode), 0) << address;
    expectUpgraded("t1", k2);
    expectUpgraded("t2", k2);
    expectUpgraded("t3", p4);

    const std::vector<sim::ReceivedFrame>& frames = network.network().frames;
    ASSERT_GE(frames.size(), 3u);
    EXPECT_EQ(frames.front().address + frames.front().command, "0100A4");
    EXPECT_EQ(frames[frames.size() - 2].address + frames[frames.size() - 2].command, "01009A");
    EXPECT_EQ(frames.back().address + frames.back().command, "01FF08");
    EXPECT_EQ(lastLines(5),
              (std::vector<std::string>{"", "<< Upgrade Report >>", "Unit 0101 upgrade OK.",
                                        "Unit 0102 upgrade OK.", "Unit 0103 upgrade OK."}));
    EXPECT_EQ(linesWith("Units 0102 in Upgrade mode"), 1);
}

TEST_F(TerminalsAllAtOnce, APageThatOneUnitFailsIsRepairedForThatUnitAlone) {
    found(1, 3, 0x0102);
    found(2, 3, 0x0102);
    const std::int32_t faulty = pageStarts(k2).at(3);
    network.unit("t2")->faults.pageFault =
        sim::FlashFault{static_cast<std::uint32_t>(faulty), 0x03, false, false};
    upgrade();

    EXPECT_EQ(broadcastPages(), pageStarts(k2));
    EXPECT_EQ(framesTo(network.network(), "0102", cmd::WritePageCode), 1);
    EXPECT_EQ(framesTo(network.network(), "0101", cmd::WritePageCode), 0);
    expectUpgraded("t1", k2);
    expectUpgraded("t2", k2);
    EXPECT_EQ(lastLines(2),
              (std::vector<std::string>{"Unit 0101 upgrade OK.", "Unit 0102 upgrade OK."}));
}

// A unit whose flash keeps refusing a page fails in both passes; the others are not held up,
// and the run ends instead of taking the class up again and again. The half-written unit stays
// in its boot loader: the closing reset, which would start it, is not sent.
TEST_F(TerminalsAllAtOnce, AUnitThatFailsInBothPassesIsReportedFailedAndTheRunEnds) {
    found(1, 3, 0x0102);
    found(2, 3, 0x0102);
    network.unit("t2")->faults.pageFault =
        sim::FlashFault{static_cast<std::uint32_t>(pageStarts(k2).at(1)), 0x03, true, false};
    upgrade();

    EXPECT_EQ(linesWith("Unit 0102 Write Error 03"), 2);
    EXPECT_EQ(linesWith("Unit 0102 upgrade Failed!"), 3); // each pass, then the report
    std::vector<std::int32_t> twice = pageStarts(k2);
    twice.insert(twice.end(), twice.begin(), twice.end());
    EXPECT_EQ(broadcastPages(), twice);
    expectUpgraded("t1", k2);
    EXPECT_EQ(state(1), UnitState::Done);
    EXPECT_EQ(state(2), UnitState::Failed);
    EXPECT_EQ(lastLines(3),
              (std::vector<std::string>{"Unit 0101 upgrade OK.", "Unit 0102 upgrade Failed!",
                                        "Left in boot loader for the next run: 0102"}));
    // The class reset of each pass, none after the controller heard the end.
    EXPECT_EQ(framesTo(network.network(), "01FF", cmd::Reset), 2);
    const sim::ReceivedFrame& last = network.network().frames.back();
    EXPECT_EQ(last.address + last.command, "01009A");
}

// A unit that falls silent after the reset is failed once its 15 s are out, although the unit
// before it had just answered from its application.
TEST_F(TerminalsAllAtOnce, AUnitSilentAfterTheResetIsFailed) {
    found(1, 3, 0x0102);
    found(2, 3, 0x0102);
    // E0, 01, erase, E1, a broadcast and a poll per page, the reset: then it is gone.
    const auto beforeSilence = static_cast<std::uint32_t>(5 + 2 * pageStarts(k2).size());
    network.unit("t2")->faults.powerLoss = sim::PowerLoss{beforeSilence, 120000, false};
    upgrade();

    EXPECT_EQ(state(1), UnitState::Done);
    EXPECT_EQ(state(2), UnitState::Failed);
    // Failed at the end of the first pass, not left pending; the second finds it still silent.
    EXPECT_EQ(linesWith("Unit 0102 upgrade Failed!"), 2);
    EXPECT_EQ(linesWith("No response [E0]!"), 1);
    EXPECT_EQ(lastLines(2),
              (std::vector<std::string>{"Unit 0101 upgrade OK.", "Unit 0102 upgrade Failed!"}));
}

TEST_F(TerminalsAllAtOnce, StopWhileWritingLeavesTheUnitsInTheirBootLoaderAndClosesTheController) {
    // The class reset would start two half-written images: the units stay in their boot loader,
    // named for the next run, and the controller still hears that the upgrade is over.
    found(1, 3, 0x0102);
    found(2, 3, 0x0102);
    console.onWait = [&] {
        if (broadcastPages().size() == 3) control.requestStop();
    };
    upgrade();

    EXPECT_EQ(broadcastPages().size(), 3u);
    EXPECT_EQ(linesWith("Resetting unit..."), 0);
    const std::vector<sim::ReceivedFrame>& frames = network.network().frames;
    EXPECT_EQ(framesTo(network.network(), "01FF", cmd::Reset), 0);
    EXPECT_EQ(frames.back().address + frames.back().command, "01009A");
    EXPECT_EQ(lastLines(4),
              (std::vector<std::string>{"", "<< Upgrade Report >>", "<<User Aborted Upgrade>>",
                                        "Left in boot loader for the next run: 0101 0102"}));
    EXPECT_EQ(state(1), UnitState::Pending);
}

// One written byte: one page, which fills the bar in each pass.
TEST_F(TerminalsAllAtOnce, AnImageOfOneByteShowsAFullBar) {
    std::ofstream("Terminal-K2.hex") << ":01400000AB14\n:00000001FF\n";
    found(1, 3, 0x0102);
    upgrade();
    EXPECT_EQ(broadcastPages(), (std::vector<std::int32_t>{0x4000, 0x4000}));
    EXPECT_EQ(console.positions, (std::vector<int>{0, 100, 0, 100}));
}

} // namespace

namespace {

class ControllersAllAtOnce : public UpgradeInVirtualTime {
protected:
    ControllersAllAtOnce()
        : UpgradeInVirtualTime(R"({ "controllers": [
            { "name": "c1", "la": "01", "productId": 5, "version": "1.00" },
            { "name": "c2", "la": "02", "productId": 5, "version": "1.00" } ] })") {}
};

TEST_F(ControllersAllAtOnce, ControllersTakeThePagesAtTheirBroadcastAddressWithoutFraming) {
    settings = {UnitType::ControllerAB, UpgradeType::AllUnits, false, "FF", "00"};
    scope.controllerScope = true;
    writeFirmware("Controller-K2.hex", fwgen::FileFormat::Hex16, 4, 20, 2048, 8);
    found(1, 5, 0x0100);
    found(2, 5, 0x0100);
    UpgradeRun r = run();
    GoUpgradeGlobalAll(r);

    FirmwareImage image;
    SilentConsole quiet;
    ASSERT_TRUE(LoadApplicationFile(image, quiet, 5, UnitType::ControllerAB, UpgradeType::AllUnits,
                                    folderTrust()));
    EXPECT_EQ(framesTo(network.network(), "FF00", cmd::WritePageCode),
              static_cast<int>(pageStarts(image).size()));
    for (const char* name : {"c1", "c2"}) {
        EXPECT_TRUE(flashHolds(unit(name), image));
        EXPECT_EQ(unit(name).version, image.fileVersion);
    }
    for (const sim::ReceivedFrame& f : network.network().frames)
        EXPECT_TRUE(f.command != cmd::ControllerUpgradeStart &&
                    f.command != cmd::ControllerUpgradeEnd);
    EXPECT_EQ(console.statusLines.back(), "Unit 0200 upgrade OK.");
}

} // namespace
