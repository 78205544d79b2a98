#include "link/catalogue.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

TEST(HexText, UpperCaseWithLeadingZerosToFullWidth) {
    EXPECT_EQ(hexText::la(0x0A), "0A");
    EXPECT_EQ(hexText::la(0xFF), "FF");
    EXPECT_EQ(hexText::word(0x00FF), "00FF");
    EXPECT_EQ(hexText::fixedAddress(0x0001A2B3), "0001A2B3");
    EXPECT_EQ(hexText::fixedAddress(0xFEDCBA98), "FEDCBA98");
}

TEST(AddressForms, ControllerThenTerminal) {
    EXPECT_EQ(addr::controller(0x05), "0500");
    EXPECT_EQ(addr::controller("7F"), "7F00");
    EXPECT_EQ(addr::terminal(0x05, 0x12), "0512");
    EXPECT_EQ(addr::terminal("02", 0x3C), "023C");
    EXPECT_EQ(addr::allTerminalsOf(0x01), "01FF");
    EXPECT_EQ(addr::allTerminalsOf("0A"), "0AFF");
    EXPECT_EQ(addr::busTerminal(0x05), "0005");
}

TEST(CommandBuilders, ArgumentsAtFullWidth) {
    EXPECT_EQ(cmd::identify(), "0200FF");
    EXPECT_EQ(cmd::acknowledge(0x1234ABCD), "031234ABCD0");
    EXPECT_EQ(cmd::acknowledge(0x2B), "030000002B0");
    EXPECT_EQ(cmd::newLa(0x1234ABCD, 0x05), "041234ABCD05");
    EXPECT_EQ(cmd::newLa("1234ABCD", "05"), "041234ABCD05");
    EXPECT_EQ(cmd::port2(false), "2D0");
    EXPECT_EQ(cmd::port2(true), "2D1");
    EXPECT_EQ(cmd::defaultMessage("\"A\",\"B\",\"C\""), "38\"A\",\"B\",\"C\"");
    EXPECT_EQ(cmd::writePage("00E3001122"), "E300E3001122");
    EXPECT_EQ(cmd::erase(cmd::EraseAllMask), cmd::EraseAll);
}

TEST(CommandBuilders, PassThroughCarriesWaitCodeThenRequestBytes) {
    const std::array<std::uint8_t, 1> version{remote::RequestVersion};
    const std::array<std::uint8_t, 1> leave{remote::RequestLeave};
    const std::array<std::uint8_t, 3> setAddress{remote::RequestSetAddress, 0xE3, 0x40};
    EXPECT_EQ(cmd::passThrough(remote::WaitOrdinary, version), "3EF000502");
    EXPECT_EQ(cmd::passThrough(remote::WaitNone, leave), "3EF000005");
    EXPECT_EQ(cmd::passThrough(remote::WaitOrdinary, setAddress), "3EF000501E340");
}

TEST(CommandBuilders, SectorMasksWalkTheSevenSectors) {
    const std::array<const char*, 7> expected{"E201", "E202", "E204", "E208",
                                              "E210", "E220", "E240"};
    for (int sector = 1; sector <= cmd::SectorCount; ++sector)
        EXPECT_EQ(cmd::erase(cmd::sectorMask(sector)), expected[sector - 1]) << sector;
    EXPECT_EQ(cmd::sectorMask(0), 0);
    EXPECT_EQ(cmd::sectorMask(8), 0);
}

TEST(CommandTexts, LongRequestsCarryTheirFullFillers) {
    const std::string_view statusLong = cmd::StatusPollLong;
    const std::string_view infoLong = cmd::UnitInfoLong;
    const std::string_view infoLonger = cmd::UnitInfoLonger;
    EXPECT_EQ(statusLong.size(), 2u + 80u);
    EXPECT_EQ(infoLong.size(), 2u + 80u);
    EXPECT_EQ(infoLonger.size(), 2u + 134u);
    EXPECT_TRUE(statusLong.starts_with(cmd::StatusPoll));
    EXPECT_TRUE(infoLong.starts_with(cmd::UnitInfo));
    EXPECT_TRUE(infoLonger.starts_with(cmd::UnitInfo));
    EXPECT_EQ(statusLong.substr(2), infoLong.substr(2));
}

} // namespace
