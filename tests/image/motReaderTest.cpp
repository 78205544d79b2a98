// The S-record readers on hand-made and malformed files: S2 application files and the S1
// images of remotes.

#include "image/motReader.h"
#include "image/remoteImage.h"
#include "imageTestSupport.h"
#include "recordText.h"
#include "tests/support/folderTrust.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

const std::string kAppEnd = "S804000000FB";

std::string S2(unsigned address, const std::vector<std::uint8_t>& data) {
    return SRecord('2', address, 3, data);
}
std::string S1(unsigned address, const std::vector<std::uint8_t>& data) {
    return SRecord('1', address, 2, data);
}

class MotReader : public ::testing::Test {
protected:
    bool Read(const std::string& text) {
        std::istringstream in(text);
        return ReadMotRecords(image, in);
    }
    bool ReadRemote(const std::string& text) {
        std::istringstream in(text);
        return ReadS19Records(image, in);
    }
    FirmwareImage image;
};

TEST_F(MotReader, ChecksumNeedsTheWholeRecord) {
    EXPECT_TRUE(MotFileChecksum("S214FC4000A58D8FEC28CF26313624450D5EE984132A"));
    EXPECT_TRUE(MotFileChecksum(kAppEnd));
    EXPECT_FALSE(MotFileChecksum("S214FC4000A58D8FEC28CF26313624450D5EE984132B"));
    EXPECT_FALSE(MotFileChecksum(""));
    // Count FF with nothing behind it would add up if the missing pairs counted as 0.
    EXPECT_FALSE(MotFileChecksum("S1FF"));
}

TEST_F(MotReader, S2AddressesArePlacedModulo256KiBBelow0x3A000) {
    EXPECT_TRUE(Read(Lines({S2(0xFC4000, {1, 2}), S2(0xFF9F00, {3, 4}), S2(0xFFA000, {5}),
                            S2(0xFF9FFF, {6, 7}), kAppEnd})));
    EXPECT_EQ(image.bytes[0x4001], 2);
    EXPECT_EQ(image.fileVersion, 0x0304);
    EXPECT_FALSE(image.isWritten(0x3A000));
    EXPECT_EQ(image.bytes[0x39FFF], 6);
    EXPECT_TRUE(image.highAddress);
    EXPECT_EQ(image.lowestWritten, 0x4000);
    EXPECT_EQ(image.highestWritten, 0x39FFF);
    EXPECT_EQ(image.damagedAtLine, 0);
    // A record beyond the window still counts as taken in.
    EXPECT_TRUE(Read(Lines({S2(0xFFA000, {5})})));
    EXPECT_FALSE(image.isWritten(0x3A000));
    EXPECT_EQ(image.lowestWritten, 0x39FFF);
    EXPECT_EQ(image.highestWritten, 0);
}

TEST_F(MotReader, ApplicationEndRecordAndOtherTerminations) {
    EXPECT_TRUE(Read(Lines({S2(0xFC4000, {1}), kAppEnd, S2(0xFC4001, {2})})));
    EXPECT_FALSE(image.isWritten(0x4001));
    EXPECT_EQ(image.damagedAtLine, 0);
    // An S8 with another entry address, S0, S1, S3 and S5 are skipped and reading goes on.
    EXPECT_TRUE(Read(Lines({"S0030000FC", S2(0xFC4000, {1}), "S804FC4000BF", S1(0x5000, {9}),
                            SRecord('3', 0xFC6000, 4, {9}), "S5030001FB", S2(0xFC4001, {2})})));
    EXPECT_EQ(image.bytes[0x4001], 2);
    EXPECT_FALSE(image.isWritten(0x5000));
    EXPECT_FALSE(image.isWritten(0x6000));
}

TEST_F(MotReader, BlankLineBetweenS2RecordsEndsReadingAsDamage) {
    EXPECT_TRUE(Read(Lines({S2(0xFC4000, {1}), "", S2(0xFC4001, {2}), kAppEnd})));
    EXPECT_FALSE(image.isWritten(0x4001));
    EXPECT_EQ(image.damagedAtLine, 2);
    // Blank lines and an S9 after the last data record are a normal end.
    EXPECT_TRUE(Read(Lines({S2(0xFC4000, {1}), "", "", "S9030000FC"})));
    EXPECT_EQ(image.damagedAtLine, 0);
}

TEST_F(MotReader, BadChecksumAndLowerCaseStopReading) {
    std::string bad = S2(0xFC4010, {5});
    bad.back() = bad.back() == '0' ? '1' : '0';
    EXPECT_TRUE(Read(Lines({S2(0xFC4000, {1}), bad, S2(0xFC4020, {7})})));
    EXPECT_FALSE(image.isWritten(0x4010));
    EXPECT_FALSE(image.isWritten(0x4020));
    EXPECT_EQ(image.damagedAtLine, 2);
    EXPECT_FALSE(Read(Lines({"s214fc4000a58d8fec28cf26313624450d5ee984132a"})));
    EXPECT_EQ(image.damagedAtLine, 1);
    EXPECT_EQ(image.fileVersion, 0xFFFF);
}

TEST_F(MotReader, CountsOutsideWhatTheReaderHandlesEndReading) {
    const std::vector<std::uint8_t> most(122, 0x11);
    const std::vector<std::uint8_t> tooMany(123, 0x22);
    EXPECT_TRUE(Read(Lines({S2(0xFC4000, most), S2(0xFC5000, tooMany), kAppEnd})));
    EXPECT_TRUE(image.isWritten(0x4000 + 121));
    EXPECT_FALSE(image.isWritten(0x5000));
    EXPECT_EQ(image.damagedAtLine, 2);
    // Count 3: an address short of a byte, with a matching checksum.
    EXPECT_FALSE(Read(Lines({"S203FC40C0", S2(0xFC4000, {1})})));
    EXPECT_FALSE(image.isWritten(0x4000));
    EXPECT_EQ(image.damagedAtLine, 1);
}

TEST_F(MotReader, CarriageReturnsAndHugeLines) {
    EXPECT_TRUE(Read(S2(0xFC4000, {1}) + "\r\n" + S2(0xFC4001, {2}) + "\r\n" + kAppEnd + "\r\n"));
    EXPECT_EQ(image.bytes[0x4001], 2);
    EXPECT_TRUE(
        Read(Lines({S2(0xFC4000, {1}), "S2" + std::string(100000, '0'), S2(0xFC4001, {2})})));
    EXPECT_FALSE(image.isWritten(0x4001));
    EXPECT_EQ(image.damagedAtLine, 2);
}

TEST_F(MotReader, RemoteImageWrapsAt0xFFFFAndNeedsAnS9) {
    image.bytes[0x20] = 0x00;
    EXPECT_TRUE(ReadRemote(
        Lines({"", "; note", S1(0xFFFE, {1, 2, 3, 4}), S2(0xFC0010, {7}), "S9030000FC"})));
    EXPECT_EQ(image.bytes[0xFFFF], 2);
    EXPECT_EQ(image.bytes[0x0001], 4);
    EXPECT_EQ(image.bytes[0x0010], 0xFF); // S2 stores nothing in a remote image
    EXPECT_EQ(image.bytes[0x20], 0xFF);   // everything else refilled
    EXPECT_FALSE(image.isWritten(0xFFFF));
    EXPECT_FALSE(ReadRemote(Lines({S1(0xE300, {5})})));
    EXPECT_EQ(image.bytes[0xE300], 5);
}

TEST_F(MotReader, RemoteImageStopsAtABadRecord) {
    std::string bad = S1(0xE310, {6});
    bad.back() = bad.back() == '0' ? '1' : '0';
    EXPECT_FALSE(ReadRemote(Lines({S1(0xE300, {5}), bad, S1(0xE320, {7}), "S9030000FC"})));
    EXPECT_EQ(image.bytes[0xE300], 5);
    EXPECT_EQ(image.bytes[0xE320], 0xFF);
    EXPECT_FALSE(ReadRemote(Lines({"S10200FD", "S9030000FC"}))); // count below 3
    EXPECT_TRUE(ReadRemote(Lines({S1(0xE300, {}), "S9030000FC"})));
}

TEST(RemoteImageFiles, ProductsWithoutFileAndMissingFiles) {
    WorkingFolder folder;
    FirmwareImage image;
    for (std::uint8_t product : {35, 64, 90}) {
        EXPECT_EQ(readRemoteImage(image, product), RemoteImageResult::NoFileForProduct);
        EXPECT_FALSE(ReadS19Data(image, product, folderTrust()));
    }
    EXPECT_EQ(RemoteImageFailureLine(RemoteImageResult::NoFileForProduct, 64),
              "No remote image file for product 64!");
    EXPECT_EQ(readRemoteImage(image, 31), RemoteImageResult::FileMissing);
    EXPECT_EQ(RemoteImageFailureLine(RemoteImageResult::FileMissing, 31),
              "Remote image file remoteR1.s19 not found!");
    WriteTextFile("remoteR8.s19", Lines({S1(0xFFFE, {0xE0, 0x00})}));
    EXPECT_EQ(readRemoteImage(image, 97), RemoteImageResult::Damaged);
    EXPECT_FALSE(ReadS19Data(image, 58, folderTrust()));
    WriteTextFile("remoteR8.s19", Lines({S1(0xFFFE, {0xE0, 0x00}), "S9030000FC"}));
    EXPECT_TRUE(ReadS19Data(image, 79, folderTrust()));
    EXPECT_EQ(image.bytes[0xFFFE], 0xE0);
    EXPECT_EQ(RemoteImageFailureLine(RemoteImageResult::Read, 79), "");
    const std::vector<std::pair<int, std::string>> table{
        {31, "remoteR1.s19"}, {60, "remoteR2.s19"}, {87, "remoteR3.s19"}, {34, "remoteR4.s19"},
        {55, "remoteR5.s19"}, {77, "remoteR6.s19"}, {96, "remoteR7.s19"}, {58, "remoteR8.s19"}};
    for (const auto& [product, name] : table)
        EXPECT_EQ(RemoteImageFileName(static_cast<std::uint8_t>(product)), name) << product;
}

TEST(MotFile, VersionLineEvenWhenNothingWasTakenIn) {
    WorkingFolder folder;
    RecordingConsole console;
    FirmwareImage image;
    WriteTextFile("Terminal-P3.S28", Lines({S2(0xFF9F00, {1, 5}), kAppEnd}));
    EXPECT_TRUE(ReadMotFile(image, console, "Terminal-P3.S28"));
    WriteTextFile("empty.S28", "");
    EXPECT_FALSE(ReadMotFile(image, console, "empty.S28"));
    EXPECT_FALSE(ReadMotFile(image, console, "missing.S28"));
    EXPECT_EQ(console.statusLines,
              (std::vector<std::string>{"V1.05  Terminal-P3.S28", "V255.255  empty.S28"}));
}

} // namespace
