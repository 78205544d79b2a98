#include "trust/minisign.h"
#include "trustFixtures.h"

#include <gtest/gtest.h>

namespace {

MinisignKey keyA() {
    return *ParseMinisignKey(fixtureText("key-a.pub")).value;
}

MinisignSignature signature(const std::string& text) {
    const MinisignRead<MinisignSignature> read = ParseMinisignSignature(text);
    EXPECT_TRUE(read.value) << read.error;
    return read.value.value_or(MinisignSignature{});
}

TEST(Minisign, VerifiesThePrehashedAndTheLegacyFormsWithTheirTrustedComments) {
    const std::string list = fixtureText("SHA256SUMS");
    const MinisignSignature prehashed = signature(fixtureText("prehashed.minisig"));
    EXPECT_TRUE(prehashed.prehashed);
    EXPECT_EQ(prehashed.trustedComment, "firmware 2026-12 for site Nord");
    EXPECT_EQ(MinisignVerify(keyA(), prehashed, list), "");
    const MinisignSignature legacy = signature(fixtureText("legacy.minisig"));
    EXPECT_FALSE(legacy.prehashed);
    EXPECT_EQ(MinisignVerify(keyA(), legacy, list), "");
    // The key ID as minisign prints it in the public key's comment.
    EXPECT_NE(fixtureText("key-a.pub").find(KeyIdText(keyA().id)), std::string::npos);
}

TEST(Minisign, ATamperedListOrSignatureOrCommentDoesNotVerify) {
    std::string list = fixtureText("SHA256SUMS");
    list[3] = list[3] == '0' ? '1' : '0';
    for (const char* name : {"prehashed.minisig", "legacy.minisig"})
        EXPECT_NE(MinisignVerify(keyA(), signature(fixtureText(name)), list).find("not verify"),
                  std::string::npos);

    const std::string original = fixtureText("SHA256SUMS");
    MinisignSignature changed = signature(fixtureText("prehashed.minisig"));
    changed.signature[5] ^= 0x01;
    EXPECT_NE(MinisignVerify(keyA(), changed, original), "");
    changed = signature(fixtureText("prehashed.minisig"));
    changed.trustedComment = "firmware 2027-01 for site Nord";
    EXPECT_NE(MinisignVerify(keyA(), changed, original).find("trusted comment"), std::string::npos);
    // The legacy form cannot pass for the prehashed one.
    changed = signature(fixtureText("legacy.minisig"));
    changed.prehashed = true;
    EXPECT_NE(MinisignVerify(keyA(), changed, original), "");
}

TEST(Minisign, ASignatureByAnotherKeyIsNamedAsSuch) {
    const std::string problem = MinisignVerify(keyA(), signature(fixtureText("other-key.minisig")),
                                               fixtureText("SHA256SUMS"));
    EXPECT_NE(problem.find("another key"), std::string::npos);
    EXPECT_NE(problem.find(KeyIdText(keyA().id)), std::string::npos);
}

TEST(Minisign, MalformedSignatureFilesAreRefusedWithTheirReason) {
    const std::string good = fixtureText("prehashed.minisig");
    std::string badBase64 = good;
    badBase64[good.find('\n') + 5] = '!';
    std::string wrongAlgorithm = good;
    // "RU" starts the base64 of "ED"; "RW" would be "Ed" too, "Rk" is "Fd".
    wrongAlgorithm.replace(good.find('\n') + 1, 2, "Rk");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "empty"},
        {good.substr(0, good.size() / 2), "truncated"},
        {good.substr(0, good.size() - 10), "base64"},
        {badBase64, "base64"},
        {fixtureText("key-a.pub"), "truncated"},
        {"untrusted comment: x\nRWQ=\ntrusted comment: y\nAAAA\n", "wrong length"},
        {wrongAlgorithm, "another algorithm"},
    };
    for (const auto& [text, says] : cases) {
        const MinisignRead<MinisignSignature> read = ParseMinisignSignature(text);
        EXPECT_FALSE(read.value) << text;
        EXPECT_NE(read.error.find(says), std::string::npos) << read.error;
    }
}

TEST(Minisign, KeyFilesOfTheWrongKindAreNamed) {
    EXPECT_TRUE(ParseMinisignKey("RWTcAsHsbCQbiZ6nWT3OowI/M1SVY/x74/yyqjm7PR1oaVKoeNZb62mt").value);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {fixtureText("key-a.key"), "secret key"},
        {fixtureText("prehashed.minisig"), "signature"},
        {"", "no key"},
        {"untrusted comment: minisign public key\nRWTc*sHsbCQbiZ6n\n", "not base64"},
        {"RWQ=\n", "not a minisign public key"},
    };
    for (const auto& [text, says] : cases) {
        const MinisignRead<MinisignKey> read = ParseMinisignKey(text);
        EXPECT_FALSE(read.value) << text;
        EXPECT_NE(read.error.find(says), std::string::npos) << read.error;
    }
}

} // namespace
