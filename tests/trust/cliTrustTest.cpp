// nexalo-cli against the simulator over a pseudo-terminal, in a firmware folder signed as a
// site signs it: sha256sum makes the list, Debian's minisign the key and the signature.

#include "runProcess.h"
#include "sim/networkFile.h"
#include "sim/ptySimulator.h"
#include "tests/support/simBus.h"
#include "tests/support/workingFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

constexpr char kNetwork[] = R"({ "controllers": [
  { "name": "c1", "la": "01", "fixedAddress": "10000001", "productId": 5, "version": "2.01",
    "terminals": [
      { "name": "t1", "la": "01", "fixedAddress": "20000101", "productId": 3,
        "version": "1.02" } ] } ] })";

// A shell command in the working folder; what it prints is not wanted, unless it says where
// it goes.
void shell(const std::string& command) {
    const bool redirected = command.find('>') != std::string::npos;
    const std::string line = redirected ? command : command + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(line.c_str()), 0) << command;
}

class SignedFolder : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::copy_file(std::filesystem::path(NEXALO_FW_SAMPLES_DIR) / "Terminal-K2.hex",
                                   folder.path() / "Terminal-K2.hex");
        shell("minisign -G -W -p site.pub -s site.key");
        shell("minisign -G -W -p other.pub -s other.key");
        shell("sha256sum Terminal-K2.hex > SHA256SUMS");
        ASSERT_TRUE(simulator.start((folder.path() / "COM1").string())) << simulator.error();
    }
    void sign(const std::string& key) {
        shell("minisign -S -s " + key + " -m SHA256SUMS -t 'firmware for site Nord'");
    }
    ProcessResult upgrade(const std::string& key = "site.pub") {
        return runProcess(
            NEXALO_CLI_PATH,
            {"--trusted-key", key, "upgrade", "--controller", "01", "--terminal", "01"},
            folder.path().string());
    }
    // No request that changes a unit reached the simulator.
    bool nothingChanging() {
        const sim::Network seen = simulator.snapshot();
        return std::ranges::none_of(seen.frames, [](const sim::ReceivedFrame& f) {
            return f.command.starts_with("E") || f.command == "08";
        });
    }

    WorkingFolder folder;
    sim::PtySimulator simulator{testkit::networkFrom(kNetwork)};
};

TEST_F(SignedFolder, AListSignedByTheTrustedKeyLetsItsFilesThroughWithTheTrustedComment) {
    sign("site.key");
    const ProcessResult result = upgrade();
    EXPECT_EQ(result.exitStatus, 0) << result.out << result.err;
    EXPECT_NE(result.out.find("trusted comment: firmware for site Nord\n"), std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("Upgrade OK."), std::string::npos) << result.out;
    EXPECT_EQ(simulator.unit("t1")->version, 0x0215);

    // The write's two records, as the history command prints them; a last line cut short
    // (the process killed mid-write) is skipped with a note.
    std::ofstream(folder.file("nexalo-history.jsonl"), std::ios::app) << R"({"time": "2026-)";
    const ProcessResult history = runProcess(
        NEXALO_CLI_PATH, {"history", "--unit", "20000101", "--json"}, folder.path().string());
    EXPECT_EQ(history.exitStatus, 0) << history.err;
    EXPECT_NE(history.err.find("line 3 is not a record; skipped"), std::string::npos)
        << history.err;
    const nlohmann::json records = nlohmann::json::parse(history.out);
    ASSERT_EQ(records.size(), 2u) << history.out;
    EXPECT_EQ(records[0]["outcome"], "started");
    EXPECT_EQ(records[1]["outcome"], "completed");
    EXPECT_EQ(records[1]["before"], "1.02");
    EXPECT_EQ(records[1]["port"], "COM1");
    const ProcessResult other =
        runProcess(NEXALO_CLI_PATH, {"history", "--unit", "20000102"}, folder.path().string());
    EXPECT_EQ(other.out, "");
}

TEST_F(SignedFolder, ATamperedListOrFileOrASignatureByAnotherKeySendsNothing) {
    sign("other.key");
    ProcessResult result = upgrade();
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.err.find("nexalo-cli: Firmware file Terminal-K2.hex refused: SHA256SUMS is "
                              "signed by another key"),
              std::string::npos)
        << result.err;

    sign("site.key");
    std::ofstream(folder.file("SHA256SUMS"), std::ios::app)
        << std::string(64, 'a') << "  Host-K2.hex\n";
    result = upgrade();
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.err.find("does not verify"), std::string::npos) << result.err;

    shell("sha256sum Terminal-K2.hex > SHA256SUMS");
    sign("site.key");
    std::ofstream(folder.file("Terminal-K2.hex"), std::ios::app) << ":00000001FF\n";
    result = upgrade();
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.err.find("Firmware file Terminal-K2.hex does not match SHA256SUMS"),
              std::string::npos)
        << result.err;
    // The refusal stands in the log too, where the window shows it.
    EXPECT_NE(result.out.find("does not match SHA256SUMS"), std::string::npos);

    EXPECT_TRUE(nothingChanging());
    EXPECT_EQ(simulator.unit("t1")->version, 0x0102);
}

// A list or a signature that is there but cannot be read is never taken as absent: the tool
// says which and why on standard error, exits 1 and sends nothing, with or without a key.
TEST_F(SignedFolder, AnUnreadableListOrSignatureRefusesTheFile) {
    std::filesystem::remove(folder.file("SHA256SUMS"));
    std::filesystem::create_directory(folder.file("SHA256SUMS"));
    const auto plain = [&] {
        return runProcess(NEXALO_CLI_PATH, {"upgrade", "--controller", "01", "--terminal", "01"},
                          folder.path().string());
    };
    ProcessResult result = plain();
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.err.find("nexalo-cli: Firmware file Terminal-K2.hex refused: SHA256SUMS "
                              "cannot be read (it is a folder)"),
              std::string::npos)
        << result.err;

    std::filesystem::remove(folder.file("SHA256SUMS"));
    shell("sha256sum Terminal-K2.hex > SHA256SUMS");
    shell("mkfifo SHA256SUMS.minisig");
    for (const ProcessResult& run : {plain(), upgrade()}) {
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_NE(run.err.find("refused: SHA256SUMS.minisig cannot be read (not a regular file)"),
                  std::string::npos)
            << run.err;
    }
    EXPECT_TRUE(nothingChanging());
    EXPECT_EQ(simulator.unit("t1")->version, 0x0102);
}

TEST_F(SignedFolder, AKeyFileOfTheWrongKindIsAUsageError) {
    const ProcessResult result = upgrade("site.key");
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_NE(result.err.find("secret key, not a public key"), std::string::npos) << result.err;
    EXPECT_TRUE(simulator.snapshot().frames.empty());
}

} // namespace
