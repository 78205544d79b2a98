// Application file and upgrade class of each product, the "Advanced" file choice, damaged
// files, and the versions report.

#include "image/fileSelection.h"
#include "image/applicationFiles.h"
#include "imageTestSupport.h"
#include "recordText.h"

#include <gtest/gtest.h>

#include <map>

namespace {

std::string FileOf(int product, int unitType) {
    const auto file = ApplicationFileFor(static_cast<std::uint8_t>(product), unitType);
    return file ? file->name : "";
}

TEST(ApplicationFiles, ProductsFiveAndFiftyDependOnTheUnitType) {
    EXPECT_EQ(FileOf(5, utControllerAB), "Controller-K2.hex");
    EXPECT_EQ(GetUpgradeType(5, utControllerAB), 2);
    EXPECT_EQ(FileOf(5, utControllerCD), "QRM-C.hex");
    EXPECT_EQ(GetUpgradeType(5, utControllerCD), 4);
    for (int unitType : {utTerminal, utHostInterface, utRemote}) {
        EXPECT_EQ(FileOf(5, unitType), "");
        EXPECT_EQ(GetUpgradeType(5, unitType), 0);
    }
    EXPECT_EQ(FileOf(50, utTerminal), "Terminal-P9.s28");
    EXPECT_EQ(FileOf(50, utControllerCD), "QRM-D.S28");
    EXPECT_EQ(FileOf(50, utRemote), "");
    EXPECT_EQ(FileOf(50, utControllerAB), "");
    for (int unitType : {utTerminal, utControllerCD, utRemote})
        EXPECT_EQ(GetUpgradeType(50, unitType), 14);
}

TEST(ApplicationFiles, EveryProductIdAgainstBothTables) {
    // Product ID -> {file, format is S-record, class}, as the upgrade procedures rely on them.
    struct Row {
        const char* file;
        int upgradeClass;
    };
    std::map<int, Row> rows;
    auto set = [&](std::initializer_list<int> ids, const char* file, int upgradeClass) {
        for (int id : ids)
            rows[id] = {file, upgradeClass};
    };
    set({2, 7, 8, 9, 10, 11, 12, 14}, "Terminal-K1.hex", 0);
    set({3, 6, 20}, "Terminal-K2.hex", 2);
    set({4}, "Terminal-P3.S28", 5);
    set({18}, "Host-K2.hex", 0);
    set({28}, "AdvancedController-K2.hex", 3);
    set({30, 36, 37}, "Terminal-P1.S28", 11);
    set({38}, "Terminal-P4.S28", 6);
    set({39}, "Terminal-P5.S28", 7);
    set({40}, "Terminal-P6.S28", 8);
    set({41, 42, 46}, "Terminal-P7.S28", 9);
    set({69}, "remoteP2.S28", 13);
    set({74}, "remoteP2.S28", 16);
    set({92}, "remoteP2.S28", 19);
    set({70, 71, 72}, "Terminal-P8.S28", 10);
    set({81, 82, 83, 84, 89, 91, 93}, "Terminal-P9.s28", 17);
    set({31, 32, 33, 34, 35, 55, 56, 57, 58, 59, 60, 61, 62}, "", 12);
    set({64, 76, 77, 78, 79}, "", 15);
    set({85, 86, 87, 88, 90, 94, 95, 96, 97}, "", 18);
    for (int id = 0; id <= 255; ++id) {
        if (id == 5 || id == 50) continue;
        const Row row = rows.count(id) ? rows[id] : Row{"", 0};
        for (int unitType = utTerminal; unitType <= utRemote; ++unitType) {
            EXPECT_EQ(FileOf(id, unitType), row.file) << "product " << id;
            EXPECT_EQ(GetUpgradeType(static_cast<std::uint8_t>(id), unitType), row.upgradeClass)
                << "product " << id;
        }
    }
    EXPECT_EQ(ApplicationFileFor(4, utTerminal)->format, FileFormat::SRecord);
    EXPECT_EQ(ApplicationFileFor(28, utTerminal)->format, FileFormat::IntelHex);
    EXPECT_EQ(ApplicationFileFor(5, utControllerCD)->format, FileFormat::IntelHex);
    EXPECT_EQ(ApplicationFileFor(50, utControllerCD)->format, FileFormat::SRecord);
}

class Selection : public ::testing::Test {
protected:
    bool Load(int product, int unitType, int upgradeType) {
        return LoadApplicationFile(image, console, static_cast<std::uint8_t>(product), unitType,
                                   upgradeType);
    }
    ScratchFolder folder;
    RecordingConsole console;
    FirmwareImage image;
};

TEST_F(Selection, ProductFilesAreReadWithTheirReader) {
    MakeHexApplication("Controller-K2.hex", 3, 7);
    MakeSRecordApplication("Terminal-P9.s28", 4, 1);
    EXPECT_TRUE(Load(5, utControllerAB, ugSingleUnit));
    EXPECT_EQ(image.fileVersion, 0x0307);
    EXPECT_FALSE(image.highAddress);
    EXPECT_TRUE(Load(81, utTerminal, ugAllUnits));
    EXPECT_EQ(image.fileVersion, 0x0401);
    EXPECT_TRUE(image.highAddress);
    EXPECT_EQ(console.statusLines,
              (std::vector<std::string>{"V3.07  Controller-K2.hex", "V4.01  Terminal-P9.s28"}));
    // No file for the product, or the file is missing: false and no line.
    EXPECT_FALSE(Load(75, utTerminal, ugSingleUnit));
    EXPECT_FALSE(Load(5, utControllerCD, ugSingleUnit));
    EXPECT_EQ(console.statusLines.size(), 2u);
    EXPECT_EQ(console.dialogRuns, 0);
}

TEST_F(Selection, AdvancedReadsOnlyTheExactExtensions) {
    MakeHexApplication("chosen.hex", 1, 2);
    MakeSRecordApplication("chosen.s28", 2, 3);
    std::filesystem::copy_file("chosen.hex", "chosen.HEX");
    std::filesystem::copy_file("chosen.s28", "chosen.S28");
    console.fileToChoose = folder.path().string() + "/chosen.hex";
    EXPECT_TRUE(Load(0, utTerminal, ugAdvanced));
    EXPECT_EQ(image.fileVersion, 0x0102);
    console.fileToChoose = "chosen.s28";
    EXPECT_TRUE(Load(0, utTerminal, ugAdvanced));
    EXPECT_EQ(image.fileVersion, 0x0203);
    EXPECT_EQ(console.statusLines.back(), "V2.03  chosen.s28");

    const std::size_t lines = console.statusLines.size();
    for (const char* refused : {"chosen.HEX", "chosen.S28", "chosen", "dir.hex/chosen"}) {
        console.fileToChoose = refused;
        EXPECT_FALSE(Load(3, utTerminal, ugAdvanced)) << refused;
    }
    console.fileToChoose.reset(); // cancelled
    EXPECT_FALSE(Load(3, utTerminal, ugAdvanced));
    console.fileToChoose = "absent.hex";
    EXPECT_FALSE(Load(3, utTerminal, ugAdvanced));
    EXPECT_EQ(console.statusLines.size(), lines);
    // An S-record file that holds no S2 record: the reader's false refuses it.
    WriteTextFile("s1only.s28", Lines({SRecord('1', 0x4000, 2, {1, 2})}));
    console.fileToChoose = "s1only.s28";
    EXPECT_FALSE(Load(3, utTerminal, ugAdvanced));
    EXPECT_EQ(console.statusLines.back(), "V255.255  s1only.s28");
    EXPECT_EQ(console.dialogRuns, 9);
}

TEST_F(Selection, DamagedFilesAreRefusedWithTheirLine) {
    std::string bad = SRecord('2', 0xFC4010, 3, {5});
    bad.back() = bad.back() == '0' ? '1' : '0';
    WriteTextFile("Terminal-P3.S28", Lines({"S0030000FC", SRecord('2', 0xFF9F00, 3, {1, 0}), bad,
                                            SRecord('2', 0xFC4020, 3, {7}), "S804000000FB"}));
    EXPECT_FALSE(Load(4, utTerminal, ugSingleUnit));
    EXPECT_EQ(console.statusLines,
              (std::vector<std::string>{"V1.00  Terminal-P3.S28",
                                        "Application File damaged at line 3!"}));
    // Under "Advanced" the same.
    WriteTextFile("half.hex", Lines({IntelRecord(0, 0x4000, {1}), "", IntelRecord(0, 0x4001, {2}),
                                     "junk line FF", IntelRecord(0, 0x4002, {3})}));
    console.fileToChoose = "half.hex";
    EXPECT_FALSE(Load(0, utTerminal, ugAdvanced));
    EXPECT_EQ(console.statusLines.back(), "Application File damaged at line 4!");
    // A damaged first record makes the reader's result false, and still names the line.
    WriteTextFile("Terminal-K1.hex", Lines({":0240000001", IntelRecord(0, 0x4000, {1})}));
    EXPECT_FALSE(Load(2, utTerminal, ugSingleUnit));
    EXPECT_EQ(console.statusLines.back(), "Application File damaged at line 1!");
    // A whole file afterwards is accepted again.
    WriteTextFile("Terminal-K1.hex", Lines({IntelRecord(0, 0x4000, {1}), ":00000001FF"}));
    EXPECT_TRUE(Load(2, utTerminal, ugSingleUnit));
    EXPECT_EQ(image.damagedAtLine, 0);
}

TEST_F(Selection, VersionsReportListsTheFilesAtHandInOrder) {
    MakeHexApplication("Host-K2.hex", 1, 10);
    MakeHexApplication("Terminal-K2.hex", 2, 5);
    ReportFileVersions(image, console, ugSingleUnit);
    EXPECT_EQ(console.statusLines,
              (std::vector<std::string>{"Application File Versions:", "V2.05  Terminal-K2.hex",
                                        "V1.10  Host-K2.hex", ""}));

    console.statusLines.clear();
    MakeSRecordApplication("Terminal-P9.S28", 9, 1);
    MakeSRecordApplication("remoteP2.S28", 3, 0);
    MakeHexApplication("QRM-C.hex", 4, 4);
    ReportFileVersions(image, console, ugAllUnitsOneAtATime);
    EXPECT_EQ(console.statusLines,
              (std::vector<std::string>{"Application File Versions:", "V2.05  Terminal-K2.hex",
                                        "V3.00  remoteP2.S28", "V1.10  Host-K2.hex",
                                        "V4.04  QRM-C.hex", "V9.01  Terminal-P9.S28", ""}));
    EXPECT_EQ(image.fileVersion, 0x0901);
    EXPECT_EQ(console.dialogRuns, 0);
}

TEST_F(Selection, VersionsReportUnderAdvancedReadsTheChosenFileAsHex) {
    MakeHexApplication("mine.bin", 6, 2);
    console.fileToChoose = "mine.bin";
    ReportFileVersions(image, console, ugAdvanced);
    EXPECT_EQ(console.statusLines,
              (std::vector<std::string>{"Application File Versions:", "V6.02  mine.bin"}));
    console.fileToChoose.reset();
    ReportFileVersions(image, console, ugAdvanced);
    EXPECT_EQ(console.statusLines.back(), "Application File Versions:");
    EXPECT_EQ(console.dialogRuns, 2);
}

} // namespace
