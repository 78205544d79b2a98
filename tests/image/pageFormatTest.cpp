// Cutting the image into "E3" pages and remote write data.

#include "image/pageFormat.h"

#include <gtest/gtest.h>

namespace {

void Write(FirmwareImage& image, std::int32_t from, std::int32_t to) {
    for (std::int32_t a = from; a <= to; ++a) {
        image.bytes[a] = static_cast<std::uint8_t>(a * 7);
        image.written[a] = 1;
        image.highestWritten = std::max(image.highestWritten, a);
    }
}

std::string DataOf(const FirmwareImage& image, std::int32_t from, int count) {
    std::string text;
    char pair[3];
    for (int i = 0; i < count; ++i) {
        std::snprintf(pair, sizeof pair, "%02X", image.bytes[from + i]);
        text += pair;
    }
    return text;
}

// Every page of an upgrade, as the upgrade loop asks for them.
std::vector<std::string> AllPages(FirmwareImage& image) {
    std::vector<std::string> pages;
    image.cursor = 0;
    do {
        std::string page = FormatWriteData(image);
        if (!page.empty()) pages.push_back(page);
    } while (image.cursor <= image.highestWritten && pages.size() < 5000);
    return pages;
}

TEST(FormatWriteData, FullPagesFromTheFirstWrittenByte) {
    FirmwareImage image;
    Write(image, 0x4000, 0x40FF);
    const auto pages = AllPages(image);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0], "000040000080" + DataOf(image, 0x4000, 128));
    EXPECT_EQ(pages[1], "000040800080" + DataOf(image, 0x4080, 128));
    EXPECT_GT(image.cursor, image.highestWritten);

    image.highAddress = true;
    const auto high = AllPages(image);
    ASSERT_EQ(high.size(), 2u);
    EXPECT_EQ(high[0].substr(0, 12), "00FC40000080");
    EXPECT_EQ(high[1].substr(0, 12), "00FC40800080");
}

TEST(FormatWriteData, GapsInsideAPageCarryTheFill) {
    FirmwareImage image;
    Write(image, 0x4000, 0x4000);
    Write(image, 0x4002, 0x4002);
    const auto pages = AllPages(image);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0],
              "000040000003" + DataOf(image, 0x4000, 1) + "FF" + DataOf(image, 0x4002, 1));
}

TEST(FormatWriteData, UnwrittenStretchesAreSkipped) {
    FirmwareImage image;
    Write(image, 0x4000, 0x4000);
    Write(image, 0x5000, 0x5000);
    const auto pages = AllPages(image);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0], "000040000080" + DataOf(image, 0x4000, 1) + std::string(254, 'F'));
    EXPECT_EQ(pages[1], "000050000001" + DataOf(image, 0x5000, 1));
}

TEST(FormatWriteData, PageEndsAtTheHighestWrittenAddress) {
    FirmwareImage image;
    Write(image, 0x4000, 0x4005);
    image.lowestWritten = 0x4000;
    const auto pages = AllPages(image);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].substr(0, 12), "000040000006");
    EXPECT_EQ(pages[0].size(), 12u + 12u);
}

TEST(FormatWriteData, NeverReachesIntoTheLastKilobyte) {
    FirmwareImage image;
    Write(image, 0x3FBF0, 0x3FBFF);
    image.highestWritten = 0x3FFFF; // as if something had widened the range
    const auto pages = AllPages(image);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].substr(0, 12), "0003FBF00010");
    EXPECT_GT(image.cursor, image.highestWritten);
}

TEST(FormatWriteData, CursorPastTheEndStillLooksAtOneAddress) {
    FirmwareImage image;
    Write(image, 0x4000, 0x4000);
    image.cursor = 0x4000;
    image.highestWritten = 0;
    EXPECT_EQ(FormatWriteData(image), "000040000001" + DataOf(image, 0x4000, 1));
    EXPECT_EQ(FormatWriteData(image), "");
    EXPECT_EQ(image.cursor, 0x4002);
}

TEST(FormatData, CopiesOnlyTheRemoteAreas) {
    FirmwareImage image;
    Write(image, 0xE000, 0xFFFF);
    RemoteRequest request;
    request.bytes[0] = 0x04;
    FormatData(image, request, 0xFFDC, 4);
    EXPECT_EQ(request.length, 6);
    EXPECT_EQ(request.bytes[1], 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(request.bytes[2 + i], image.bytes[0xFFDC + i]);

    request = RemoteRequest{};
    FormatData(image, request, 0xFDF0, 32);
    EXPECT_EQ(request.length, 34);
    EXPECT_EQ(request.bytes[0], 0);
    EXPECT_EQ(request.bytes[1], 32);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(request.bytes[2 + i], image.bytes[0xFDF0 + i]);
    for (int i = 16; i < 32; ++i)
        EXPECT_EQ(request.bytes[2 + i], 0) << i;

    FormatData(image, request, 0xFFE0, 400); // more than a request holds
    EXPECT_EQ(request.length, 255);
    EXPECT_EQ(request.bytes[1], 253);
}

} // namespace
