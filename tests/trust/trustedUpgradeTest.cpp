// The trust check where the procedures read their files, in virtual time: a file that its
// working folder's SHA256SUMS (or the trusted key) refuses reaches no unit, whichever way it
// would have been sent, and the operator reads why.

#include "site/siteRun.h"
#include "tests/globalUpgrade/upgradeFixture.h"
#include "trust/crypto.h"
#include "trust/history.h"
#include "trust/wholeFile.h"
#include "trustFixtures.h"
#include "upgrade/dispatcher.h"
#include "upgrade/global.h"
#include "upgrade/remote.h"

#include <algorithm>
#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace upgradetest;

namespace {

constexpr char kNetwork[] = R"({ "controllers": [
  { "name": "c1", "la": "01", "fixedAddress": "10000001", "productId": 5, "version": "2.01",
    "terminals": [
      { "name": "t1", "la": "01", "fixedAddress": "20000101", "productId": 3, "version": "1.02" },
      { "name": "t2", "la": "02", "fixedAddress": "20000102", "productId": 3, "version": "1.02" },
      { "name": "r1", "la": "13", "fixedAddress": "20000113", "productId": 31, "version": "1.05",
        "remote": { "productId": 31, "version": "2.03" } } ] } ] })";

std::string digestOf(const std::string& name) {
    return LowerHex(Sha256Of(ReadWholeFile(name, 1 << 24).bytes));
}

void writeList(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string text;
    for (const auto& [digest, name] : entries)
        text += digest + "  " + name + "\n";
    writeText("SHA256SUMS", text);
}

const std::string kWrongDigest(64, '0');

// Every cell of a unit's application flash.
std::string flashOf(const sim::Unit& unit) {
    std::string cells(sim::FlashMemory::Size, '\0');
    for (std::uint32_t cell = 0; cell < sim::FlashMemory::Size; ++cell)
        cells[cell] = static_cast<char>(unit.flash.at(cell));
    return cells;
}

// A file of the folder's trust put there in a form that is not a regular file to read.
struct Unreadable {
    std::string name;
    std::string form;
    std::string says; // the refusal's words after "refused: "
};

std::vector<Unreadable> unreadableFiles() {
    std::vector<Unreadable> files{
        {"SHA256SUMS", "folder", "SHA256SUMS cannot be read (it is a folder)"},
        {"SHA256SUMS.minisig", "folder", "SHA256SUMS.minisig cannot be read (it is a folder)"}};
#ifndef _WIN32
    files.push_back({"SHA256SUMS", "fifo", "SHA256SUMS cannot be read (not a regular file)"});
    files.push_back(
        {"SHA256SUMS.minisig", "link", "SHA256SUMS.minisig cannot be read (a link to nothing)"});
#endif
    return files;
}

void makeUnreadable(const Unreadable& file) {
    std::filesystem::remove_all(file.name);
    if (file.form == "folder") std::filesystem::create_directory(file.name);
#ifndef _WIN32
    if (file.form == "fifo") {
        ASSERT_EQ(mkfifo(file.name.c_str(), 0600), 0);
    }
    if (file.form == "link") std::filesystem::create_symlink("gone/" + file.name, file.name);
#endif
}

class TrustedFiles : public UpgradeInVirtualTime {
protected:
    TrustedFiles() : UpgradeInVirtualTime(kNetwork) {
        writeFirmware("Terminal-K2.hex", fwgen::FileFormat::Hex16, 2, 5, 4096);
        writeFirmware("remoteR1.s19", fwgen::FileFormat::S19, 2, 51, 6910, 9);
        settings.unitType = UnitType::Terminal;
        settings.controllerLA = "01";
        settings.terminalLA = "01";
    }

    bool logged(const std::string& line) const {
        return std::ranges::find(console.statusLines, line) != console.statusLines.end();
    }
    bool loggedPart(const std::string& part) const {
        return std::ranges::any_of(console.statusLines, [&](const std::string& line) {
            return line.find(part) != std::string::npos;
        });
    }
    // Nothing that changes a unit went out: no upgrade mode, erase, page, reset or remote
    // pass-through, to any address.
    ::testing::AssertionResult nothingChanging(bool withResets = true) {
        for (const sim::ReceivedFrame& f : network.network().frames)
            for (const char* prefix : {"E", withResets ? cmd::Reset : "E", "3EF00"})
                if (f.command.starts_with(prefix))
                    return ::testing::AssertionFailure() << f.address << " got " << f.command;
        return ::testing::AssertionSuccess();
    }
    Outcome upgrade() {
        UpgradeRun r = run();
        return RunUpgrade(r);
    }
};

TEST_F(TrustedFiles, ASingleUpgradeSendsOnlyAFileThatMatchesItsList) {
    writeList({{kWrongDigest, "Terminal-K2.hex"}});
    const std::string refusal = "Firmware file Terminal-K2.hex does not match SHA256SUMS (sha256 " +
                                digestOf("Terminal-K2.hex") + ")";
    EXPECT_EQ(upgrade(), Outcome::refused(refusal, "0101"));
    EXPECT_TRUE(logged(refusal));
    EXPECT_FALSE(logged("No Application File found!"));
    EXPECT_TRUE(nothingChanging());
    EXPECT_EQ(unit("t1").version, 0x0102);
    EXPECT_EQ(image.refusal.empty(), false);

    writeList({{digestOf("Terminal-K2.hex"), "Terminal-K2.hex"}});
    console.statusLines.clear();
    EXPECT_EQ(upgrade(), Outcome::completed());
    EXPECT_EQ(unit("t1").version, 0x0205);
    EXPECT_EQ(image.fileSha256, digestOf("Terminal-K2.hex"));

    // The refusal, then the write: "started" before the unit was touched, then its end.
    const HistoryRead history = ReadHistory();
    ASSERT_EQ(history.records.size(), 3u);
    EXPECT_EQ(history.records[0].outcome, "refused");
    EXPECT_EQ(history.records[0].reason, refusal);
    EXPECT_EQ(history.records[1].outcome, "started");
    const HistoryRecord& done = history.records[2];
    EXPECT_EQ(done.outcome, "completed");
    EXPECT_EQ(done.fixedAddress, "20000101");
    EXPECT_EQ(done.address, "0101");
    EXPECT_EQ(done.productId, 3);
    EXPECT_EQ(done.before, "1.02");
    EXPECT_EQ(done.fileVersion, "2.05");
    EXPECT_EQ(done.file, "Terminal-K2.hex");
    EXPECT_EQ(done.fileSha256, digestOf("Terminal-K2.hex"));
}

// The "started" record is on disk when the unit is asked into upgrade mode, so a run cut off
// there still says which unit may sit in its boot loader.
TEST_F(TrustedFiles, TheStartedRecordIsOnDiskBeforeTheUnitEntersUpgradeMode) {
    std::optional<HistoryRead> atEntry;
    console.onStatus = [&](const std::string& line) {
        if (line.ends_with("Entering Upgrade mode...")) atEntry = ReadHistory();
    };
    EXPECT_EQ(upgrade(), Outcome::completed());
    ASSERT_TRUE(atEntry);
    ASSERT_EQ(atEntry->records.size(), 1u);
    EXPECT_EQ(atEntry->records[0].outcome, "started");
}

TEST_F(TrustedFiles, AFileTheListDoesNotNameIsRefused) {
    writeList({{digestOf("remoteR1.s19"), "remoteR1.s19"}});
    EXPECT_EQ(upgrade().kind, OutcomeKind::Refused);
    EXPECT_TRUE(logged("Firmware file Terminal-K2.hex is not listed in SHA256SUMS"));
    EXPECT_TRUE(nothingChanging());
}

TEST_F(TrustedFiles, TheAllAtOnceUpgradeBroadcastsNoRefusedImage) {
    writeList({{kWrongDigest, "Terminal-K2.hex"}});
    terminalsOf("01", UpgradeType::AllUnits);
    found(1, 3, 0x0102);
    found(2, 3, 0x0102);
    UpgradeRun r = run();
    EXPECT_EQ(GoUpgradeGlobalAll(r).kind, OutcomeKind::Refused);
    EXPECT_EQ(std::ranges::count_if(console.statusLines,
                                    [](const std::string& line) {
                                        return line.find("does not match SHA256SUMS") !=
                                               std::string::npos;
                                    }),
              1);
    // The terminals' closing reset goes out after every all-at-once run; no upgrade mode,
    // erase or page does.
    EXPECT_TRUE(nothingChanging(false));
    EXPECT_EQ(ReadHistory().records.size(), 2u);
    EXPECT_EQ(unit("t2").version, 0x0102);
}

TEST_F(TrustedFiles, ARefusedRemoteImageReachesNeitherTheTerminalNorItsRemote) {
    writeList({{kWrongDigest, "remoteR1.s19"}});
    settings.unitType = UnitType::Remote;
    UpgradeRun r = run();
    EXPECT_EQ(GoUpgradeRemote(r, "0113", 31).kind, OutcomeKind::Refused);
    EXPECT_TRUE(logged("Firmware file remoteR1.s19 does not match SHA256SUMS (sha256 " +
                       digestOf("remoteR1.s19") + ")"));
    EXPECT_EQ(console.statusLines.size(), 1u); // no "remote image damaged" besides
    EXPECT_TRUE(nothingChanging());
}

TEST_F(TrustedFiles, WithATrustedKeyAnUnsignedListRefusesEveryFile) {
    writeList({{digestOf("Terminal-K2.hex"), "Terminal-K2.hex"}});
    bus.session.setTrustSettings({fixturePath("key-a.pub")});
    EXPECT_EQ(upgrade().kind, OutcomeKind::Refused);
    EXPECT_TRUE(logged("Firmware file Terminal-K2.hex refused: SHA256SUMS.minisig is missing: the "
                       "list is not signed"));
    EXPECT_TRUE(nothingChanging());
}

// A list that would let the file through, beside it a list or signature that is there but
// cannot be read: the run refuses the file, asks the unit nothing that changes it, and its
// flash stays as it was. Once the folder is mended the same run completes.
TEST_F(TrustedFiles, AListOrSignatureThatCannotBeReadSendsNothing) {
    const std::string flash = flashOf(unit("t1"));
    for (const Unreadable& file : unreadableFiles()) {
        SCOPED_TRACE(file.name + " as a " + file.form);
        writeList({{digestOf("Terminal-K2.hex"), "Terminal-K2.hex"}});
        makeUnreadable(file);
        EXPECT_EQ(upgrade(),
                  Outcome::refused("Firmware file Terminal-K2.hex refused: " + file.says, "0101"));
        EXPECT_TRUE(loggedPart(file.says));
        EXPECT_TRUE(nothingChanging());
        EXPECT_EQ(flashOf(unit("t1")), flash);
        std::filesystem::remove_all(file.name);
    }
    writeList({{digestOf("Terminal-K2.hex"), "Terminal-K2.hex"}});
    EXPECT_EQ(upgrade(), Outcome::completed());
    EXPECT_EQ(unit("t1").version, 0x0205);
}

// The site run reads the folder once: a list it cannot read refuses every unit's file, a
// remote's included, and none is touched.
TEST_F(TrustedFiles, TheSiteRunSendsNothingWhenTheListCannotBeRead) {
    for (const Unreadable& file : unreadableFiles()) {
        SCOPED_TRACE(file.name + " as a " + file.form);
        makeUnreadable(file);
        OperationContext context = bus.context();
        SiteOptions options;
        options.remotes = true;
        const SiteBus site = runSite(context, "COM1", options);
        EXPECT_TRUE(nothingChanging());
        EXPECT_TRUE(std::ranges::none_of(
            site.units, [](const SiteUnit& u) { return u.result == SiteResult::Upgraded; }));
        EXPECT_EQ(unit("t1").version, 0x0102);
        EXPECT_EQ(unit("r1").remote.version, 0x0203);
        std::filesystem::remove_all(file.name);
    }
}

TEST_F(TrustedFiles, TheSiteRunUpgradesNoUnitWhoseFileIsRefused) {
    writeList({{kWrongDigest, "Terminal-K2.hex"}});
    OperationContext context = bus.context();
    const SiteBus site = runSite(context, "COM1", SiteOptions{});
    EXPECT_TRUE(nothingChanging());
    const auto t1 = std::ranges::find(site.units, 0x20000101u, &SiteUnit::fixedAddress);
    ASSERT_NE(t1, site.units.end());
    EXPECT_NE(t1->result, SiteResult::Upgraded);
    EXPECT_EQ(unit("t1").version, 0x0102);
}

} // namespace
