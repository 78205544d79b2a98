// Files made by srec_cat and objcopy from random binaries, read by the readers and compared
// byte for byte with the binary that srec_cat makes back from the same file.

#include "image/hexReader.h"
#include "image/motReader.h"
#include "image/remoteImage.h"
#include "imageTestSupport.h"
#include "tests/support/folderTrust.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

namespace {

constexpr unsigned kHighBase = 0xFC0000;
constexpr std::int32_t kPrepared = 0x3FC00;

bool InHexWindow(std::int32_t a) {
    return (a >= 0x4000 && a <= 0xFBFF) || (a >= 0x22000 && a <= 0x2FFFF) ||
           (a >= 0x34000 && a <= 0x3FBFF);
}
bool InS2Window(std::int32_t a) {
    return a >= 0 && a <= 0x39FFF;
}

std::string Hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

std::string ExpectedVersionLine(std::uint8_t major, std::uint8_t minor, const std::string& name) {
    char text[32];
    std::snprintf(text, sizeof text, "V%d.%.2d  ", major, minor);
    return text + name;
}

class ToolFiles : public ::testing::Test {
protected:
    // The file srec_cat makes from data placed at address, in output format.
    void MakeFile(const std::string& name, const std::vector<std::uint8_t>& data, unsigned address,
                  const std::string& format) {
        WriteBinaryFile("data.bin", data);
        ASSERT_TRUE(RunTool("srec_cat data.bin -binary -offset " + Hex(address) + " -o " + name +
                            " " + format));
    }
    void MakeWithObjcopy(const std::string& name, const std::vector<std::uint8_t>& data,
                         unsigned address, const std::string& format) {
        WriteBinaryFile("data.bin", data);
        ASSERT_TRUE(RunTool("objcopy -I binary -O " + format + " --change-addresses " +
                            Hex(address) + " data.bin " + name));
    }
    // srec_cat's own reading of the file: 256 KiB from base, holes 0xFF.
    std::vector<std::uint8_t> ToolImage(const std::string& name, const std::string& format,
                                        unsigned base) {
        EXPECT_TRUE(RunTool("srec_cat " + name + " " + format + " -crop " + Hex(base) + " " +
                            Hex(base + 0x40000) + " -offset -" + Hex(base) +
                            " -fill 0xFF 0 0x40000 -o back.bin -binary 2>/dev/null"));
        return ReadBinaryFile("back.bin");
    }
    // Every stored byte is the tool's byte; everything else of the prepared stretch is fill.
    void ExpectImage(const std::vector<std::uint8_t>& tool, std::int32_t dataFrom,
                     std::int32_t dataTo, const std::function<bool(std::int32_t)>& window) {
        ASSERT_EQ(tool.size(), 0x40000u);
        int wrong = 0;
        for (std::int32_t a = 0; a < kPrepared && wrong < 5; ++a) {
            const bool stored = window(a) && a >= dataFrom && a < dataTo;
            const std::uint8_t expected = stored ? tool[a] : 0xFF;
            if (image.bytes[a] != expected || image.isWritten(a) != stored) {
                ADD_FAILURE() << "image address " << Hex(a) << ": byte " << Hex(image.bytes[a])
                              << " written " << image.isWritten(a) << ", tool byte "
                              << Hex(expected) << " in window " << stored;
                ++wrong;
            }
        }
    }

    WorkingFolder folder;
    RecordingConsole console;
    FirmwareImage image;
};

TEST_F(ToolFiles, SixteenBitIntelHexFillsOnlyTheFirstWindow) {
    const auto data = RandomBytes(0x10000, 1);
    MakeFile("k1.hex", data, 0, "-intel -address-length=2");
    ASSERT_TRUE(ReadHexFile(image, console, "k1.hex"));
    ExpectImage(ToolImage("k1.hex", "-intel", 0), 0, 0x10000, InHexWindow);
    EXPECT_FALSE(image.highAddress);
    EXPECT_EQ(image.lowestWritten, 0x4000);
    EXPECT_EQ(image.highestWritten, 0xFBFF);
    EXPECT_EQ(image.fileVersion, data[0xFBFC] << 8 | data[0xFBFD]);
    EXPECT_EQ(image.damagedAtLine, 0);
    ASSERT_EQ(console.statusLines.size(), 1u);
    EXPECT_EQ(console.statusLines[0], ExpectedVersionLine(data[0xFBFC], data[0xFBFD], "k1.hex"));
}

TEST_F(ToolFiles, ExtendedLinearAddressesPlaceTheImageModulo256KiB) {
    for (const char* blockSize : {"", "-obs 61", "-obs 122"}) {
        SCOPED_TRACE(blockSize);
        const auto data = RandomBytes(0x40000, 2);
        MakeFile("c.hex", data, kHighBase, std::string("-intel ") + blockSize);
        ASSERT_TRUE(ReadHexFile(image, console, "c.hex"));
        ExpectImage(ToolImage("c.hex", "-intel", kHighBase), 0, 0x40000, InHexWindow);
        EXPECT_TRUE(image.highAddress);
        EXPECT_EQ(image.lowestWritten, 0x4000);
        EXPECT_EQ(image.highestWritten, 0x3FBFF);
        EXPECT_EQ(image.fileVersion, data[0x3FBFC] << 8 | data[0x3FBFD]);
        EXPECT_EQ(image.damagedAtLine, 0);
    }
}

TEST_F(ToolFiles, ObjcopyIntelHexReadsLikeSrecCat) {
    const auto low = RandomBytes(0xC000, 3);
    MakeWithObjcopy("o16.hex", low, 0x4000, "ihex");
    ASSERT_TRUE(ReadHexFile(image, console, "o16.hex"));
    ExpectImage(ToolImage("o16.hex", "-intel", 0), 0x4000, 0x10000, InHexWindow);
    EXPECT_FALSE(image.highAddress);

    const auto high = RandomBytes(0x1E000, 4);
    MakeWithObjcopy("o32.hex", high, kHighBase + 0x22000, "ihex");
    ASSERT_TRUE(ReadHexFile(image, console, "o32.hex"));
    ExpectImage(ToolImage("o32.hex", "-intel", kHighBase), 0x22000, 0x40000, InHexWindow);
    EXPECT_TRUE(image.highAddress);
    EXPECT_EQ(image.lowestWritten, 0x22000);
}

TEST_F(ToolFiles, RandomPiecesAcrossWindowEdges) {
    // Pieces that start and end inside, across and outside the windows, cut into records of
    // odd sizes so that records straddle the window edges.
    const std::vector<std::pair<unsigned, unsigned>> pieces{
        {0x3F00, 0x300}, {0xFB80, 0x200}, {0x21FF0, 0x40}, {0x2FFC1, 0x4100}, {0x3FB00, 0x500}};
    std::uint32_t seed = 10;
    for (const auto& [offset, length] : pieces) {
        SCOPED_TRACE(Hex(offset));
        const auto data = RandomBytes(length, ++seed);
        MakeFile("p.hex", data, kHighBase + offset, "-intel -obs 29");
        ReadHexFile(image, console, "p.hex");
        const auto from = static_cast<std::int32_t>(offset);
        const auto to = static_cast<std::int32_t>(offset + length);
        ExpectImage(ToolImage("p.hex", "-intel", kHighBase), from, to, InHexWindow);

        MakeFile("p.s28", data, kHighBase + offset, "-motorola -address-length=3 -obs 29");
        ReadMotFile(image, console, "p.s28");
        ExpectImage(ToolImage("p.s28", "-motorola", kHighBase), from, to, InS2Window);
        EXPECT_EQ(image.damagedAtLine, 0);
    }
}

TEST_F(ToolFiles, S2FilesOfBothToolsFillUpTo0x39FFF) {
    const auto data = RandomBytes(0x40000, 5);
    MakeFile("a.s28", data, kHighBase, "-motorola -address-length=3 -execution-start-address=0");
    MakeWithObjcopy("b.s28", data, kHighBase, "srec");
    for (const char* name : {"a.s28", "b.s28"}) {
        SCOPED_TRACE(name);
        console.statusLines.clear();
        ASSERT_TRUE(ReadMotFile(image, console, name));
        ExpectImage(ToolImage(name, "-motorola", kHighBase), 0, 0x40000, InS2Window);
        EXPECT_TRUE(image.highAddress);
        EXPECT_EQ(image.lowestWritten, 0);
        EXPECT_EQ(image.highestWritten, 0x39FFF);
        EXPECT_EQ(image.damagedAtLine, 0);
        ASSERT_EQ(console.statusLines.size(), 1u);
        EXPECT_EQ(console.statusLines[0], ExpectedVersionLine(data[0x39F00], data[0x39F01], name));
    }
}

TEST_F(ToolFiles, S1AndS3OnlyFilesTakeNothingIn) {
    const auto data = RandomBytes(0x1000, 6);
    MakeFile("s1.s28", data, 0x4000, "-motorola -address-length=2");
    MakeFile("s3.s28", data, kHighBase, "-motorola -address-length=4");
    for (const char* name : {"s1.s28", "s3.s28"}) {
        console.statusLines.clear();
        EXPECT_FALSE(ReadMotFile(image, console, name));
        ExpectImage(ToolImage(name, "-motorola", 0), 0, 0, InS2Window);
        ASSERT_EQ(console.statusLines.size(), 1u);
        EXPECT_EQ(console.statusLines[0], std::string("V255.255  ") + name);
    }
}

TEST_F(ToolFiles, RemoteImageOfS1RecordsFillsTheLow64KiBOnly) {
    const auto data = RandomBytes(0x10000, 7);
    MakeFile("remoteR5.s19", data, 0, "-motorola -address-length=2 -execution-start-address=0");
    image.written[0x100] = 1;
    image.bytes[0x12345] = 0x5A;
    image.cursor = 77;
    image.fileVersion = 0x0203;
    EXPECT_EQ(readRemoteImage(image, 76), RemoteImageResult::Read);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), image.bytes.begin()));
    EXPECT_EQ(image.bytes[0x12345], 0x5A);
    EXPECT_TRUE(image.isWritten(0x100));
    EXPECT_FALSE(image.isWritten(0x101));
    EXPECT_EQ(image.cursor, 77);
    EXPECT_EQ(image.fileVersion, 0x0203);
}

} // namespace
