#include "link/replyReader.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace {

// A reply as the transaction returns it: "%", ten unexamined characters, sequence number,
// status byte, data, CRC.
std::string makeReply(const std::string& status, const std::string& data) {
    return "%0100000500"
           "0001" +
           status + data + "ABCD";
}

// Unit information: word 1234, version 010A, second version 0203, fixed address 0001A2B3,
// product 1F, then 16 unread characters and a 10-character text.
const std::string kInfoData = "1234"
                              "010A"
                              "0203"
                              "0001A2B3"
                              "1F"
                              "xxxxxxxxxxxxxxxx"
                              "SERIAL0042";

TEST(ReplyField, ReadsInsideAndPadsPastTheEndWithZeros) {
    const std::string reply = makeReply("20", "AB");
    EXPECT_EQ(reply::field(reply, 16, 2), "20");
    EXPECT_EQ(reply::field(reply, 22, 4), "CD00"); // last two CRC characters, then past the end
    EXPECT_EQ(reply::field(reply, 200, 3), "000");
    EXPECT_EQ(reply::field(reply, 0, 2), "00");
    // A position so large that position + width wraps must not come round to the start.
    EXPECT_EQ(reply::field(reply, std::numeric_limits<std::size_t>::max(), 3), "000");
    EXPECT_EQ(reply::field("", 1, 1), "0");
    EXPECT_EQ(reply::hexField(reply, 18, 2), 0xABu);
    EXPECT_EQ(reply::hexField("%..........0001zz", 16, 2), 0u); // not hex: counts as 0
    EXPECT_EQ(reply::statusByte(""), 0);
}

TEST(ReplyField, DataRunsFromPosition18UpToTheCrc) {
    EXPECT_EQ(reply::data(makeReply("00", "")), "");
    EXPECT_EQ(reply::data(makeReply("00", "0123")), "0123");
    EXPECT_EQ(reply::data("%01"), "");
    EXPECT_TRUE(reply::isStatusReply(makeReply("00", "")));
    EXPECT_FALSE(reply::isStatusReply(makeReply("00", "0")));
}

TEST(UnitInfoReply, ReadsEveryFieldOfAFullReply) {
    const std::string reply = makeReply("00", kInfoData);
    ASSERT_EQ(reply.size(), 69u);
    EXPECT_TRUE(reply::hasUnitInfo(reply, reply::UnitInfoFullThreshold));
    const reply::UnitInfo info = reply::readUnitInfo(reply);
    EXPECT_EQ(info.word, 0x1234);
    EXPECT_EQ(info.version, 0x010A);
    EXPECT_EQ(info.secondVersion, 0x0203);
    EXPECT_EQ(info.fixedAddress, 0x0001A2B3u);
    EXPECT_EQ(info.productId, 0x1F);
    EXPECT_EQ(info.text, "SERIAL0042");
    EXPECT_FALSE(info.inUpgradeMode());
    EXPECT_EQ(info.validVersion(), 0x010A);
}

TEST(UnitInfoReply, UpgradeModeInvalidatesTheVersions) {
    const reply::UnitInfo info = reply::readUnitInfo(makeReply("21", kInfoData));
    EXPECT_TRUE(info.inUpgradeMode());
    EXPECT_EQ(info.version, 0x010A);
    EXPECT_EQ(info.validVersion(), 0);
    EXPECT_EQ(info.validSecondVersion(), 0);
}

TEST(UnitInfoReply, LengthThresholdsAndShortRepliesReadAsZero) {
    // 41 characters is the shortest reply discovery accepts; 31 the shortest for the survey.
    const std::string reply41 = makeReply("00", kInfoData.substr(0, 20));
    const std::string reply40 = reply41.substr(0, 40);
    const std::string reply31 = reply41.substr(0, 31);
    EXPECT_TRUE(reply::hasUnitInfo(reply41, reply::UnitInfoFullThreshold));
    EXPECT_FALSE(reply::hasUnitInfo(reply40, reply::UnitInfoFullThreshold));
    EXPECT_TRUE(reply::hasUnitInfo(reply31, reply::UnitInfoShortThreshold));
    EXPECT_FALSE(reply::hasUnitInfo(reply31.substr(0, 30), reply::UnitInfoShortThreshold));

    const reply::UnitInfo cut = reply::readUnitInfo(reply31.substr(0, 27));
    EXPECT_EQ(cut.version, 0x010A);
    EXPECT_EQ(cut.secondVersion, 0x0200); // "02" present, the rest past the end
    EXPECT_EQ(cut.fixedAddress, 0u);
    EXPECT_EQ(cut.productId, 0);
    EXPECT_EQ(cut.text, "0000000000");
}

TEST(IdentificationReply, OnlyExactly33CharactersCount) {
    const std::string reply = makeReply("00", "1234ABCD"
                                              "05"
                                              "1C");
    ASSERT_EQ(reply.size(), 33u);
    const auto id = reply::readIdentification(reply);
    ASSERT_TRUE(id.has_value());
    EXPECT_EQ(id->fixedAddress, 0x1234ABCDu);
    EXPECT_EQ(id->la, 0x05);
    EXPECT_EQ(id->productId, 0x1C);
    EXPECT_FALSE(reply::readIdentification(reply + "0").has_value());
    EXPECT_FALSE(reply::readIdentification(reply.substr(0, 32)).has_value());
}

TEST(UnitListReply, ReadsEachEntryAt12CharacterSteps) {
    const std::string reply = makeReply("00", "02"
                                              "05"
                                              "0000ABCD"
                                              "1B"
                                              "FF"
                                              "12345678"
                                              "3F");
    ASSERT_EQ(reply::listCount(reply), 2u);
    const auto entries = reply::readList(reply);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].la, 0x05);
    EXPECT_EQ(entries[0].fixedAddress, 0xABCDu);
    EXPECT_EQ(entries[0].productId, 0x1B);
    EXPECT_EQ(entries[1].la, 0xFF);
    EXPECT_EQ(entries[1].fixedAddress, 0x12345678u);
    EXPECT_EQ(entries[1].productId, 0x3F);
}

TEST(UnitListReply, AnnouncedEntriesBeyondTheReplyReadAsZero) {
    // Announces 0x20 entries, carries one; the CRC "ABCD" overlaps the start of entry 2.
    const std::string reply = makeReply("00", "20"
                                              "07"
                                              "11223344"
                                              "05");
    const auto entries = reply::readList(reply);
    ASSERT_EQ(entries.size(), 0x20u);
    EXPECT_EQ(entries[0].la, 0x07);
    EXPECT_EQ(entries[1].la, 0xAB);
    EXPECT_EQ(entries[1].fixedAddress, 0xCD000000u);
    EXPECT_EQ(entries[1].productId, 0);
    for (std::size_t i = 2; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].la, 0) << i;
        EXPECT_EQ(entries[i].fixedAddress, 0u) << i;
        EXPECT_EQ(entries[i].productId, 0) << i;
    }
    // A count of FF on an empty list still reads safely.
    EXPECT_EQ(reply::readList(makeReply("00", "FF")).size(), 255u);
    EXPECT_EQ(reply::listEntry(reply, 0).la, 0);
}

TEST(FlashReplies, UpgradeModeAndErrorCodePositions) {
    const auto versions = reply::readUpgradeMode(makeReply("20", "0102"
                                                                 "0A05"));
    ASSERT_TRUE(versions.has_value());
    EXPECT_EQ(versions->bootVersion, "0102");
    EXPECT_EQ(versions->appVersion, "0A05");
    EXPECT_FALSE(reply::readUpgradeMode(makeReply("20", "0102"
                                                        "0A0"))
                     .has_value());

    // "E1": error code at 20-21, after two unread characters.
    const auto status = reply::readFlashStatus(makeReply("20", "FF"
                                                               "03"));
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(status->errorCode, 3);
    EXPECT_TRUE(status->failed());
    EXPECT_FALSE(reply::readFlashStatus(makeReply("20", "03")).has_value());

    // "E2"/"E3": error code at 18-19; it counts only with status exactly 0x20.
    const auto written = reply::readEraseWrite(makeReply("21", "03"));
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ(written->errorCode, 3);
    EXPECT_FALSE(written->failed());
    EXPECT_FALSE(reply::readEraseWrite(makeReply("20", "00"))->failed());
    EXPECT_FALSE(reply::readEraseWrite(makeReply("20", "030")).has_value());
}

TEST(PassThroughReply, WholeHexPairsBetweenStatusAndCrc) {
    EXPECT_TRUE(reply::passThroughBytes(makeReply("00", "")).empty());
    EXPECT_TRUE(reply::passThroughBytes("").empty());
    EXPECT_EQ(reply::passThroughBytes(makeReply("00", "07")), std::vector<std::uint8_t>{0x07});
    EXPECT_EQ(reply::passThroughBytes(makeReply("00", "070")), std::vector<std::uint8_t>{0x07});
    EXPECT_EQ(reply::passThroughBytes(makeReply("00", "0800FF")),
              (std::vector<std::uint8_t>{0x08, 0x00, 0xFF}));
}

TEST(FastPollReply, CounterLengthWindow) {
    const std::string counters80 = std::string(78, '0') + "2A"; // LA 1..40
    const auto text = reply::fastPollCounterText(makeReply("00", counters80));
    ASSERT_TRUE(text.has_value());
    const auto counts = reply::fastPollCounters(*text);
    ASSERT_EQ(counts.size(), 40u);
    EXPECT_EQ(counts.back(), 0x2A);
    EXPECT_EQ(counts.front(), 0);

    EXPECT_FALSE(reply::fastPollCounterText(makeReply("00", std::string(79, '0'))));
    EXPECT_TRUE(reply::fastPollCounterText(makeReply("00", std::string(128, '0'))));
    EXPECT_FALSE(reply::fastPollCounterText(makeReply("00", std::string(129, '0'))));
}

TEST(FastPollReply, OnlineMapBitsCountFromTheLastDigit) {
    const std::string first = "8" + std::string(15, '0');
    const auto map = reply::onlineMapText(makeReply("00", first));
    ASSERT_TRUE(map.has_value());
    EXPECT_TRUE(reply::isOnline(*map, 64));
    EXPECT_FALSE(reply::isOnline(*map, 1));
    EXPECT_FALSE(reply::isOnline(*map, 65));
    EXPECT_FALSE(reply::isOnline(*map, 0));
    EXPECT_TRUE(reply::isOnline("0004", 3));
    EXPECT_TRUE(reply::isOnline("0010", 5));
    EXPECT_FALSE(reply::isOnline("0010", 4));

    EXPECT_FALSE(reply::onlineMapText(makeReply("00", "123456789")));
    EXPECT_TRUE(reply::onlineMapText(makeReply("00", "1234567890")));
    EXPECT_TRUE(reply::onlineMapText(makeReply("00", "1234567890123456")));
    EXPECT_FALSE(reply::onlineMapText(makeReply("00", "12345678901234567")));
}

} // namespace
