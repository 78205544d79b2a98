#include "trust/checksumList.h"

#include <gtest/gtest.h>

namespace {

const std::string kDigestA(64, 'a');
const std::string kDigestB = std::string(63, 'b') + "C";

TEST(ChecksumList, ReadsTheTextAndBinaryFormsAndLooksNamesUpAsTheFolderDoes) {
    const ChecksumListParse parse =
        ParseChecksumList(kDigestA + "  Terminal-K2.hex\n" + kDigestB + " *./remoteP2.S28\n\n");
    ASSERT_TRUE(parse.list) << parse.error;
    EXPECT_EQ(parse.list->digestOf("Terminal-K2.hex"), kDigestA);
    EXPECT_EQ(parse.list->digestOf("terminal-k2.HEX"), kDigestA); // case does not count
    EXPECT_EQ(parse.list->digestOf("remoteP2.S28"), std::string(63, 'b') + "c");
    EXPECT_EQ(parse.list->digestOf("Host-K2.hex"), std::nullopt);
}

TEST(ChecksumList, TheSameNameTwiceWithOneDigestIsFine) {
    EXPECT_TRUE(ParseChecksumList(kDigestA + "  a.hex\n" + kDigestA + "  a.hex\n").list);
}

struct BadList {
    std::string text;
    int line;
    std::string says;
};

TEST(ChecksumList, EveryMalformedListIsRefusedWholeNamingTheLine) {
    const std::vector<BadList> cases = {
        {kDigestA + "  a.hex\n" + std::string(63, 'a') + "  b.hex\n", 2, "63 hex digits"},
        {kDigestA + "0  a.hex\n", 1, "65 hex digits"},
        {std::string(10, 'a') + "g" + std::string(53, 'a') + "  a.hex\n", 1, "not a hex digit"},
        {kDigestA + "  a.hex\n" + kDigestB + "  a.hex\n", 2, "a second time"},
        {kDigestA + "  a.hex\r\n", 1, "carriage return"},
        {kDigestA + "\n", 1, "is not"},
        {kDigestA + "  \n", 1, "is not"},
        {kDigestA + "  ./\n", 1, "names no file"},
        {kDigestA + "-+a.hex\n", 1, "not a hex digit"},
        {"SHA256 (a.hex) = " + kDigestA + "\n", 1, "not a hex digit"},
        {"\\" + kDigestA + "  a\\nb.hex\n", 1, "escaped"},
        {"\n\n", 0, "lists no file"},
    };
    for (const BadList& bad : cases) {
        const ChecksumListParse parse = ParseChecksumList(bad.text);
        EXPECT_FALSE(parse.list) << bad.text;
        EXPECT_EQ(parse.badLine, bad.line) << bad.text;
        EXPECT_NE(parse.error.find(bad.says), std::string::npos) << parse.error;
    }
}

TEST(ChecksumList, TenMegabytesOfGarbageAreNotRead) {
    std::string garbage(10 * 1024 * 1024, '\0');
    for (std::size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>((i * 7919) % 251);
    const ChecksumListParse parse = ParseChecksumList(garbage);
    EXPECT_FALSE(parse.list);
    EXPECT_NE(parse.error.find("larger than"), std::string::npos);
    // Garbage within the size is refused at its first line.
    EXPECT_EQ(ParseChecksumList(garbage.substr(0, 4096)).badLine, 1);
}

} // namespace
