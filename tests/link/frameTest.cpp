#include "link/transaction.h"

#include <gtest/gtest.h>

TEST(AppendCRC, MatchesTheCatalogueCheckValues) {
    EXPECT_EQ(AppendCRC("123456789"), "123456789FEE8");
    EXPECT_EQ(AppendCRC("abc"), "abcCADB");
    EXPECT_EQ(AppendCRC(""), "0000");
}

TEST(AppendCRC, ProducesTheWorkedRequestFrames) {
    EXPECT_EQ(AppendCRC("@010000FF0000009B00"), "@010000FF0000009B00221B");
    EXPECT_EQ(AppendCRC("@0100000100000101"), "@01000001000001012FFF");
}

TEST(AppendCRC, AlwaysWritesFourUpperCaseDigits) {
    for (int c = 0; c < 256; ++c) {
        const std::string text(1, static_cast<char>(c));
        const std::string framed = AppendCRC(text);
        ASSERT_EQ(framed.size(), 5u) << c;
        EXPECT_EQ(framed.find_first_not_of("0123456789ABCDEF", 1), std::string::npos) << c;
    }
}

TEST(HexToWord, ReadsUpperCaseDigitsAndCountsEverythingElseAsZero) {
    EXPECT_EQ(HexToWord("00FF"), 255u);
    EXPECT_EQ(HexToWord("0a"), 0u);
    EXPECT_EQ(HexToWord("ff"), 0u);
    EXPECT_EQ(HexToWord("1G"), 16u);
    EXPECT_EQ(HexToWord(""), 0u);
    EXPECT_EQ(HexToWord("FFFFFFFF"), 0xFFFFFFFFu);
    EXPECT_EQ(HexToWord("12345678"), 0x12345678u);
    EXPECT_EQ(HexToWord(" 1"), 1u);
}
