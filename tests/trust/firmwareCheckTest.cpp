#include "trust/firmwareCheck.h"
#include "trustFixtures.h"

#include "tests/support/recordingConsole.h"
#include "tests/support/workingFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// The fixtures' list names Terminal-K2.hex holding "one\n" and remoteP2.S28 holding "two\n".
class FirmwareCheck : public ::testing::Test {
protected:
    FirmwareCheck() { writeText("SHA256SUMS", fixtureText("SHA256SUMS")); }

    FileVerdict check(const std::string& name, const std::string& bytes) {
        return CheckFirmwareFile(console, trust, name, bytes);
    }
    void useSignature(const std::string& fixture) {
        writeText(kSignatureFileName, fixtureText(fixture));
    }

    WorkingFolder folder;
    RecordingConsole console;
    TrustSettings trust;
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
    EXPECT_NE(check("Terminal-K2.hex", "one\n").refusal.find("larger than"), std::string::npos);
}

TEST_F(FirmwareCheck, ATrustedKeyWantsTheListSignedByItAndShowsTheTrustedComment) {
    trust.trustedKeyFile = fixturePath("key-a.pub");
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
    trust.trustedKeyFile = fixturePath("key-a.pub");
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
    trust.trustedKeyFile = fixturePath("key-a.key");
    EXPECT_NE(refusal().find("secret key, not a public key"), std::string::npos);
    trust.trustedKeyFile = "missing.pub";
    EXPECT_NE(refusal().find("cannot be read"), std::string::npos);
}

} // namespace
