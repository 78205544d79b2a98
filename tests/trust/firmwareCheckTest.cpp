#include "trust/firmwareCheck.h"
#include "trust/folderTrust.h"
#include "trustFixtures.h"

#include "tests/support/recordingConsole.h"
#include "tests/support/workingFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// The fixtures' list names Terminal-K2.hex holding "one\n" and remoteP2.S28 holding "two\n".
class FirmwareCheck : public ::testing::Test {
protected:
    FirmwareCheck() { writeText("SHA256SUMS", fixtureText("SHA256SUMS")); }

    // A run that starts now: the folder's trust read, then the file checked against it.
    FileVerdict check(const std::string& name, const std::string& bytes) {
        return CheckFirmwareFile(console, ReadFirmwareTrust(settings), name, bytes);
    }
    void useSignature(const std::string& fixture) {
        writeText(kSignatureFileName, fixtureText(fixture));
    }

    WorkingFolder folder;
    RecordingConsole console;
    TrustSettings settings;
};

TEST_F(FirmwareCheck, WithoutAListEveryFileIsTakenAndItsDigestKnown) {
    std::filesystem::remove("SHA256SUMS");
    const FileVerdict verdict = check("Anything.hex", "one\n");
    EXPECT_TRUE(verdict.accepted());
    EXPECT_EQ(verdict.sha256, "2c8b08da5ce60398e1f19af0e5dccc744df274b826abe585eaba68c525434806");
}

TEST_F(FirmwareCheck, AListedFileMustCarryItsDigest) {
    EXPECT_TRUE(check("Terminal-K2.hex", "one\n").accepted());
    EXPECT_TRUE(check("terminal-k2.HEX", "one\n").accepted());
    const FileVerdict changed = check("Terminal-K2.hex", "one!\n");
    EXPECT_EQ(changed.refusal, "Firmware file Terminal-K2.hex does not match SHA256SUMS (sha256 " +
                                   changed.sha256 + ")");
    EXPECT_EQ(check("Host-K2.hex", "one\n").refusal,
              "Firmware file Host-K2.hex is not listed in SHA256SUMS");
    // The operator's own path inside the working folder is listed by its name there.
    EXPECT_TRUE(check((folder.path() / "remoteP2.S28").string(), "two\n").accepted());
}

TEST_F(FirmwareCheck, AMalformedOrHugeListRefusesEveryFileSayingWhere) {
    writeText("SHA256SUMS", fixtureText("SHA256SUMS") + "0123  x.hex\n");
    EXPECT_EQ(check("Terminal-K2.hex", "one\n").refusal,
              "Firmware file Terminal-K2.hex refused: SHA256SUMS line 3 has a digest of 4 hex "
              "digits, not 64");
    writeText("SHA256SUMS", std::string(10 * 1024 * 1024, 'x'));
    EXPECT_EQ(check("Terminal-K2.hex", "one\n").refusal,
              "Firmware file Terminal-K2.hex refused: SHA256SUMS is larger than 1024 KiB");
}

// A run holds all its files to the list as it read it at its start: a list changed halfway
// changes nothing for that run, and the next run reads the new one.
TEST_F(FirmwareCheck, TheTrustIsReadOnceForTheRun) {
    const FirmwareTrust run = ReadFirmwareTrust(settings);
    writeText("SHA256SUMS", std::string(64, '0') + "  Terminal-K2.hex\n");
    EXPECT_TRUE(CheckFirmwareFile(console, run, "Terminal-K2.hex", "one\n").accepted());
    EXPECT_NE(check("Terminal-K2.hex", "one\n").refusal.find("does not match"), std::string::npos);
    std::filesystem::remove("SHA256SUMS");
    std::filesystem::create_directory("SHA256SUMS");
    EXPECT_TRUE(CheckFirmwareFile(console, run, "Terminal-K2.hex", "one\n").accepted());
}

// A trust that was never read lets nothing through.
TEST_F(FirmwareCheck, AnUnreadTrustRefusesEveryFile) {
    std::filesystem::remove("SHA256SUMS");
    EXPECT_EQ(
        CheckFirmwareFile(console, FirmwareTrust::unread(), "Terminal-K2.hex", "one\n").refusal,
        "Firmware file Terminal-K2.hex refused: the firmware folder's trust was not read for "
        "this run");
}

TEST_F(FirmwareCheck, ATrustedKeyWantsTheListSignedByItAndShowsTheTrustedComment) {
    settings.trustedKeyFile = fixturePath("key-a.pub");
    for (const char* signature : {"prehashed.minisig", "legacy.minisig"}) {
        useSignature(signature);
        console.statusLines.clear();
        EXPECT_TRUE(check("Terminal-K2.hex", "one\n").accepted()) << signature;
        ASSERT_EQ(console.statusLines.size(), 1u);
        EXPECT_NE(console.statusLines[0].find("trusted comment: "), std::string::npos);
    }
    // A signed list still refuses a file changed after signing.
    EXPECT_NE(check("Terminal-K2.hex", "changed\n").refusal.find("does not match"),
              std::string::npos);
}

TEST_F(FirmwareCheck, EveryFlawOfTheSignatureRefusesEveryFile) {
    settings.trustedKeyFile = fixturePath("key-a.pub");
    const auto refusal = [&] { return check("Terminal-K2.hex", "one\n").refusal; };
    EXPECT_NE(refusal().find("SHA256SUMS.minisig is missing"), std::string::npos);
    useSignature("other-key.minisig");
    EXPECT_NE(refusal().find("signed by another key"), std::string::npos);
    writeText(kSignatureFileName, "");
    EXPECT_NE(refusal().find("SHA256SUMS.minisig is empty"), std::string::npos);
    useSignature("prehashed.minisig");
    writeText("SHA256SUMS", fixtureText("SHA256SUMS") + "\n");
    EXPECT_NE(refusal().find("does not verify"), std::string::npos);
    std::filesystem::remove("SHA256SUMS");
    EXPECT_NE(refusal().find("no SHA256SUMS"), std::string::npos);

    writeText("SHA256SUMS", fixtureText("SHA256SUMS"));
    settings.trustedKeyFile = fixturePath("key-a.key");
    EXPECT_NE(refusal().find("secret key, not a public key"), std::string::npos);
    settings.trustedKeyFile = "missing.pub";
    EXPECT_EQ(refusal(), "Firmware file Terminal-K2.hex refused: the trusted key missing.pub "
                         "cannot be read (there is no such file)");
    std::filesystem::create_directory("folder.pub");
    settings.trustedKeyFile = "folder.pub";
    EXPECT_EQ(refusal(), "Firmware file Terminal-K2.hex refused: the trusted key folder.pub "
                         "cannot be read (it is a folder)");
}

// One way a file of the folder's trust can be there without being a regular file to read.
struct UnreadableForm {
    const char* what;
    std::function<void(const std::string& name)> make;
    const char* says; // after the file's name
};

std::vector<UnreadableForm> unreadableForms() {
    std::vector<UnreadableForm> forms{
        {"a folder", [](const std::string& name) { std::filesystem::create_directory(name); },
         "cannot be read (it is a folder)"}};
#ifndef _WIN32
    forms.push_back({"a FIFO",
                     [](const std::string& name) { ASSERT_EQ(mkfifo(name.c_str(), 0600), 0); },
                     "cannot be read (not a regular file)"});
    forms.push_back(
        {"a link to nothing",
         [](const std::string& name) { std::filesystem::create_symlink("gone/" + name, name); },
         "cannot be read (a link to nothing)"});
#endif
    return forms;
}

// Neither the list nor its signature is ever taken as absent when it is there: every file is
// refused, with or without a trusted key, and the line says which file and why.
TEST_F(FirmwareCheck, AListOrSignatureThatIsThereButCannotBeReadRefusesEveryFile) {
    for (const std::string name : {"SHA256SUMS", "SHA256SUMS.minisig"})
        for (const UnreadableForm& form : unreadableForms()) {
            SCOPED_TRACE(name + " as " + form.what);
            std::filesystem::remove_all(name);
            form.make(name);
            EXPECT_EQ(check("Terminal-K2.hex", "one\n").refusal,
                      "Firmware file Terminal-K2.hex refused: " + name + " " + form.says);
            settings.trustedKeyFile = fixturePath("key-a.pub");
            EXPECT_EQ(check("Terminal-K2.hex", "one\n").refusal,
                      "Firmware file Terminal-K2.hex refused: " + name + " " + form.says);
            settings.trustedKeyFile.clear();
            std::filesystem::remove_all(name);
            writeText("SHA256SUMS", fixtureText("SHA256SUMS"));
        }
    writeText(kSignatureFileName, std::string(20 * 1024, 'x'));
    EXPECT_EQ(check("Terminal-K2.hex", "one\n").refusal,
              "Firmware file Terminal-K2.hex refused: SHA256SUMS.minisig is larger than 16 KiB");
}

#ifndef _WIN32
// Permission bits stop no read of root's: there the folder and FIFO cases above stand for it.
TEST_F(FirmwareCheck, AListWithoutReadPermissionRefusesEveryFile) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads whatever the permissions say";
    std::filesystem::permissions("SHA256SUMS", std::filesystem::perms::none);
    EXPECT_EQ(check("Terminal-K2.hex", "one\n").refusal,
              "Firmware file Terminal-K2.hex refused: SHA256SUMS cannot be read (Permission "
              "denied)");
    std::filesystem::permissions("SHA256SUMS", std::filesystem::perms::owner_read);
    useSignature("prehashed.minisig");
    std::filesystem::permissions(kSignatureFileName, std::filesystem::perms::none);
    EXPECT_EQ(check("Terminal-K2.hex", "one\n").refusal,
              "Firmware file Terminal-K2.hex refused: SHA256SUMS.minisig cannot be read "
              "(Permission denied)");
}
#endif

} // namespace
