// The Intel HEX reader on hand-made and malformed files.

#include "image/hexReader.h"
#include "imageTestSupport.h"
#include "recordText.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

const std::string kEnd = ":00000001FF";

std::string Ela(unsigned upper) {
    return IntelRecord(4, 0, {std::uint8_t(upper >> 8), std::uint8_t(upper)});
}

int WrittenCount(const FirmwareImage& image) {
    int count = 0;
    for (std::int32_t a = 0; a < FirmwareImage::kSize; ++a)
        count += image.isWritten(a);
    return count;
}

class HexReader : public ::testing::Test {
protected:
    bool Read(const std::string& text) {
        std::istringstream in(text);
        return ReadHexRecords(image, in);
    }
    FirmwareImage image;
};

TEST_F(HexReader, ChecksumOfDataAndZeroLengthRecords) {
    EXPECT_EQ(HexFileChecksum(":10400000A58D8FEC28CF26313624450D5EE984132B"), 0x2B);
    EXPECT_EQ(HexFileChecksum(":0200000400FCFE"), 0xFE);
    EXPECT_EQ(HexFileChecksum(":00000001FF"), 0);
    EXPECT_EQ(HexFileChecksum(":00ABCD05"), 0);
    EXPECT_EQ(HexFileChecksum(""), 0);
    EXPECT_EQ(HexFileChecksum(":FF"), 0x01); // the length alone, data missing
}

TEST_F(HexReader, EndRecordEndsReadingNormally) {
    EXPECT_TRUE(Read(Lines({IntelRecord(0, 0x4000, {1, 2}), kEnd, IntelRecord(0, 0x5000, {3})})));
    EXPECT_EQ(image.bytes[0x4001], 2);
    EXPECT_FALSE(image.isWritten(0x5000));
    EXPECT_EQ(image.damagedAtLine, 0);
    EXPECT_EQ(image.lowestWritten, 0x4000);
    EXPECT_EQ(image.highestWritten, 0x4001);
}

TEST_F(HexReader, ZeroLengthRecordWithOtherChecksumEndsReading) {
    EXPECT_TRUE(
        Read(Lines({IntelRecord(0, 0x4000, {1}), ":00000001FE", IntelRecord(0, 0x4001, {2})})));
    EXPECT_FALSE(image.isWritten(0x4001));
    // A garbled end record is no end: the records after it are lost data.
    EXPECT_EQ(image.damagedAtLine, 2);
    // An end record that carries an address, with its own checksum right, ends normally.
    EXPECT_TRUE(Read(Lines(
        {IntelRecord(0, 0x4000, {1}), IntelRecord(1, 0x4000, {}), IntelRecord(0, 0x4001, {2})})));
    EXPECT_FALSE(image.isWritten(0x4001));
    EXPECT_EQ(image.damagedAtLine, 0);
}

TEST_F(HexReader, BlankLineCountsAsAnEmptyDataRecord) {
    EXPECT_TRUE(Read("\n"));
    EXPECT_EQ(WrittenCount(image), 0);
    EXPECT_TRUE(Read(Lines({IntelRecord(0, 0x4000, {1}), "", IntelRecord(0, 0x4001, {2}), kEnd})));
    EXPECT_EQ(image.bytes[0x4001], 2);
    EXPECT_EQ(image.damagedAtLine, 0);
}

TEST_F(HexReader, ChecksumMismatchMidFileKeepsEarlierRecordsAndMarksDamage) {
    std::string bad = IntelRecord(0, 0x4010, {5, 6});
    bad.back() = bad.back() == '0' ? '1' : '0';
    EXPECT_TRUE(Read(Lines({IntelRecord(0, 0x4000, {1}), bad, IntelRecord(0, 0x4020, {7}), kEnd})));
    EXPECT_EQ(image.bytes[0x4000], 1);
    EXPECT_FALSE(image.isWritten(0x4010));
    EXPECT_FALSE(image.isWritten(0x4020));
    EXPECT_EQ(image.damagedAtLine, 2);
    // The bad record's own data is lost even when nothing follows it.
    EXPECT_TRUE(Read(Lines({IntelRecord(0, 0x4000, {1}), bad})));
    EXPECT_EQ(image.damagedAtLine, 2);
}

TEST_F(HexReader, NonRecordLinesAfterTheLastRecordAreNoDamage) {
    EXPECT_TRUE(Read(Lines({IntelRecord(0, 0x4000, {1}), "trailer FF", "", "\x1A"})));
    EXPECT_EQ(image.damagedAtLine, 0);
    EXPECT_TRUE(
        Read(Lines({IntelRecord(0, 0x4000, {1}), "trailer FF", IntelRecord(0, 0x4001, {2})})));
    EXPECT_EQ(image.damagedAtLine, 2);
}

TEST_F(HexReader, LowerCaseHexStopsAtTheFirstRecord) {
    EXPECT_FALSE(Read(Lines({":10400000a58d8fec28cf26313624450d5ee984132b", kEnd})));
    EXPECT_EQ(WrittenCount(image), 0);
    EXPECT_EQ(image.damagedAtLine, 1);
    EXPECT_EQ(image.fileVersion, 0xFFFF);
}

TEST_F(HexReader, RecordsCrossingTheWindowEdges) {
    const std::vector<std::uint8_t> eight{1, 2, 3, 4, 5, 6, 7, 8};
    const std::vector<std::uint8_t> sixteen(16, 0x33);
    EXPECT_TRUE(Read(Lines({IntelRecord(0, 0xFBFC, eight), IntelRecord(0, 0x3FF0, sixteen)})));
    EXPECT_EQ(image.bytes[0xFBFF], 4);
    EXPECT_FALSE(image.isWritten(0xFC00));
    EXPECT_EQ(WrittenCount(image), 4);
    EXPECT_EQ(image.fileVersion, 0x0102);
    EXPECT_EQ(image.highestWritten, 0xFBFF);
    // The record at 0x3FF0 stored nothing but still moved the cursor to its last byte.
    EXPECT_EQ(image.cursor, 0x3FFF);

    EXPECT_TRUE(Read(Lines({Ela(0xFE), IntelRecord(0, 0xFFFC, eight), Ela(0xFF),
                            IntelRecord(0, 0xFBFC, eight), IntelRecord(0, 0xFFFC, eight)})));
    EXPECT_EQ(image.bytes[0x2FFFF], 4);
    EXPECT_FALSE(image.isWritten(0x30000));
    EXPECT_EQ(image.bytes[0x3FBFF], 4);
    EXPECT_FALSE(image.isWritten(0x3FC00));
    EXPECT_EQ(WrittenCount(image), 8);
    EXPECT_EQ(image.fileVersion, 0x0102);
    EXPECT_EQ(image.lowestWritten, 0x2FFFC);
    EXPECT_EQ(image.highestWritten, 0x3FBFF);
}

TEST_F(HexReader, ExtendedAddressKeepsBitsSixteenAndSeventeen) {
    EXPECT_TRUE(Read(Lines({Ela(0x00FF), IntelRecord(0, 0x4000, {9}), kEnd})));
    EXPECT_EQ(image.bytes[0x34000], 9);
    EXPECT_TRUE(image.highAddress);
    EXPECT_TRUE(Read(Lines({Ela(0x00FC), IntelRecord(0, 0x4000, {7})})));
    EXPECT_TRUE(image.isWritten(0x4000));
    // 0x10000 to 0x1FFFF lies in no window.
    EXPECT_TRUE(Read(Lines({Ela(0x00FD), IntelRecord(0, 0x4000, {7})})));
    EXPECT_EQ(WrittenCount(image), 0);
    EXPECT_TRUE(Read(Lines({Ela(0x12FE), IntelRecord(0, 0x2000, {7})})));
    EXPECT_TRUE(image.isWritten(0x22000));
}

TEST_F(HexReader, OnlyExtendedAddressRecordsTakeNothingIn) {
    EXPECT_FALSE(Read(Lines({Ela(0xFC), Ela(0xFD)})));
    EXPECT_TRUE(image.highAddress);
    EXPECT_EQ(WrittenCount(image), 0);
    EXPECT_EQ(image.fileVersion, 0xFFFF);
}

TEST_F(HexReader, OtherRecordTypesOnlyMoveTheCursor) {
    EXPECT_TRUE(
        Read(Lines({IntelRecord(2, 0x4000, {0x10, 0}), IntelRecord(3, 0x4100, {0, 0, 0, 0})})));
    EXPECT_EQ(WrittenCount(image), 0);
    EXPECT_EQ(image.cursor, 0x4100);
}

TEST_F(HexReader, OverLongAndShortRecordsEndReading) {
    const std::vector<std::uint8_t> most(122, 0x11);
    const std::vector<std::uint8_t> tooMany(123, 0x22);
    EXPECT_TRUE(Read(Lines({IntelRecord(0, 0x4000, most), IntelRecord(0, 0x5000, tooMany), kEnd})));
    EXPECT_TRUE(image.isWritten(0x4000 + 121));
    EXPECT_FALSE(image.isWritten(0x5000));
    EXPECT_EQ(image.damagedAtLine, 2);
    // Announces two data bytes but holds one, which doubles as a matching checksum.
    EXPECT_FALSE(Read(Lines({":024000005F"})));
    EXPECT_EQ(WrittenCount(image), 0);
    EXPECT_EQ(image.damagedAtLine, 1);
}

TEST_F(HexReader, LinesOfAnyLengthAndEitherEnding) {
    const std::string huge(200000, 'F');
    EXPECT_TRUE(Read(Lines({IntelRecord(0, 0x4000, {1}), huge, IntelRecord(0, 0x4001, {2})})));
    EXPECT_FALSE(image.isWritten(0x4001));
    EXPECT_EQ(image.damagedAtLine, 2);
    EXPECT_TRUE(Read(IntelRecord(0, 0x4000, {1}) + "\r\n" + IntelRecord(0, 0x4001, {2}) + "\r\n" +
                     kEnd + "\r\n"));
    EXPECT_EQ(image.bytes[0x4001], 2);
    EXPECT_EQ(image.damagedAtLine, 0);
}

TEST_F(HexReader, ReadingReplacesThePreviousImage) {
    EXPECT_TRUE(Read(Lines({Ela(0xFF), IntelRecord(0, 0x4000, {1})})));
    EXPECT_TRUE(Read(Lines({IntelRecord(0, 0x5000, {2})})));
    EXPECT_FALSE(image.isWritten(0x34000));
    EXPECT_EQ(image.bytes[0x34000], 0xFF);
    EXPECT_FALSE(image.highAddress);
    EXPECT_EQ(image.lowestWritten, 0x5000);
}

TEST(HexFile, VersionLineAndMissingFile) {
    WorkingFolder folder;
    RecordingConsole console;
    FirmwareImage image;
    WriteTextFile("Terminal-K1.hex", Lines({IntelRecord(0, 0xFBFC, {0x02, 0x0A}), kEnd}));
    EXPECT_TRUE(ReadHexFile(image, console, "Terminal-K1.hex"));
    EXPECT_EQ(image.fileVersion, 0x020A);
    ASSERT_EQ(console.statusLines.size(), 1u);
    EXPECT_EQ(console.statusLines[0], "V2.10  Terminal-K1.hex");

    image.bytes[0x4000] = 0x42;
    EXPECT_FALSE(ReadHexFile(image, console, "Terminal-K2.hex"));
    EXPECT_EQ(console.statusLines.size(), 1u);
    EXPECT_EQ(image.bytes[0x4000], 0x42);
    EXPECT_EQ(image.fileVersion, 0x020A);

    WriteTextFile("bad.hex", "garbage FF\n");
    EXPECT_FALSE(ReadHexFile(image, console, "bad.hex"));
    EXPECT_EQ(console.statusLines.back(), "V255.255  bad.hex");
    EXPECT_EQ(image.bytes[0x4000], 0xFF);
}

} // namespace
