// Application file and upgrade class of each product, the "Advanced" file choice, damaged
// files, and the versions report.

#include "image/fileSelection.h"
#include "imageTestSupport.h"
#include "product/productFiles.h"
#include "recordText.h"
#include "tests/support/folderTrust.h"

#include <gtest/gtest.h>

namespace {

std::string FileOf(int product, UnitType unitType) {
    const auto file = ApplicationFileFor(static_cast<std::uint8_t>(product), unitType);
    return file ? std::string(file->name) : "";
}

TEST(ApplicationFiles, ProductsFiveAndFiftyDependOnTheUnitType) {
    EXPECT_EQ(FileOf(5, UnitType::ControllerAB), "Controller-K2.hex");
    EXPECT_EQ(GetUpgradeType(5, UnitType::ControllerAB), 2);
    EXPECT_EQ(FileOf(5, UnitType::ControllerCD), "QRM-C.hex");
    EXPECT_EQ(GetUpgradeType(5, UnitType::ControllerCD), 4);
    for (UnitType unitType : {UnitType::Terminal, UnitType::HostInterface, UnitType::Remote}) {
        EXPECT_EQ(FileOf(5, unitType), "");
        EXPECT_EQ(GetUpgradeType(5, unitType), 0);
    }
    EXPECT_EQ(FileOf(50, UnitType::Terminal), "Terminal-P9.s28");
    EXPECT_EQ(FileOf(50, UnitType::ControllerCD), "QRM-D.S28");
    EXPECT_EQ(FileOf(50, UnitType::Remote), "");
    EXPECT_EQ(FileOf(50, UnitType::ControllerAB), "");
    for (UnitType unitType : {UnitType::Terminal, UnitType::ControllerCD, UnitType::Remote})
        EXPECT_EQ(GetUpgradeType(50, unitType), 14);
}

TEST(ApplicationFiles, ClassesThatTheUpgradesBranchOn) {
    EXPECT_EQ(FileOf(75, UnitType::Terminal), "");
    EXPECT_EQ(GetUpgradeType(75, UnitType::Terminal), 0);
    EXPECT_EQ(FileOf(81, UnitType::Terminal), "Terminal-P9.s28");
    EXPECT_EQ(GetUpgradeType(81, UnitType::Terminal), 17);
    // Remotes behind a terminal: no application file; 59 to 62 are class 12, not 15.
    for (int product : {31, 35, 55, 59, 62})
        EXPECT_EQ(GetUpgradeType(static_cast<std::uint8_t>(product), UnitType::Remote), 12)
            << product;
    for (int product : {64, 76, 79})
        EXPECT_EQ(GetUpgradeType(product, UnitType::Remote), 15) << product;
    for (int product : {85, 88, 90, 94, 97})
        EXPECT_EQ(GetUpgradeType(product, UnitType::Remote), 18);
    for (int product : {31, 64, 90})
        EXPECT_EQ(FileOf(product, UnitType::Remote), "");
    // One file, three classes.
    EXPECT_EQ(GetUpgradeType(69, UnitType::Remote), 13);
    EXPECT_EQ(GetUpgradeType(74, UnitType::Remote), 16);
    EXPECT_EQ(GetUpgradeType(92, UnitType::Remote), 19);
    for (int product : {69, 74, 92})
        EXPECT_EQ(FileOf(product, UnitType::Terminal), "remoteP2.S28");
    // Files without a class.
    EXPECT_EQ(FileOf(14, UnitType::HostInterface), "Terminal-K1.hex");
    EXPECT_EQ(GetUpgradeType(14, UnitType::Terminal), 0);
    EXPECT_EQ(FileOf(18, UnitType::Terminal), "Host-K2.hex");
    EXPECT_EQ(GetUpgradeType(18, UnitType::HostInterface), 0);
    EXPECT_EQ(ApplicationFileFor(4, UnitType::Terminal)->format, FileFormat::SRecord);
    EXPECT_EQ(ApplicationFileFor(28, UnitType::Terminal)->format, FileFormat::IntelHex);
    EXPECT_EQ(ApplicationFileFor(5, UnitType::ControllerCD)->format, FileFormat::IntelHex);
    EXPECT_EQ(ApplicationFileFor(50, UnitType::ControllerCD)->format, FileFormat::SRecord);
    EXPECT_EQ(FileOf(0, UnitType::Terminal), "");
    EXPECT_EQ(FileOf(255, UnitType::Terminal), "");
}

class Selection : public ::testing::Test {
protected:
    bool Load(int product, UnitType unitType, UpgradeType upgradeType) {
        return LoadApplicationFile(image, console, static_cast<std::uint8_t>(product), unitType,
                                   upgradeType, folderTrust());
    }
    WorkingFolder folder;
    RecordingConsole console;
    FirmwareImage image;
};

TEST_F(Selection, ProductFilesAreReadWithTheirReader) {
    MakeHexApplication("Controller-K2.hex", 3, 7);
    MakeSRecordApplication("Terminal-P9.s28", 4, 1);
    EXPECT_TRUE(Load(5, UnitType::ControllerAB, UpgradeType::SingleUnit));
    EXPECT_EQ(image.fileVersion, 0x0307);
    EXPECT_FALSE(image.highAddress);
    EXPECT_TRUE(Load(81, UnitType::Terminal, UpgradeType::AllUnits));
    EXPECT_EQ(image.fileVersion, 0x0401);
    EXPECT_TRUE(image.highAddress);
    EXPECT_EQ(console.statusLines,
              (std::vector<std::string>{"V3.07  Controller-K2.hex", "V4.01  Terminal-P9.s28"}));
    // No file for the product, or the file is missing: false and no line.
    EXPECT_FALSE(Load(75, UnitType::Terminal, UpgradeType::SingleUnit));
    EXPECT_FALSE(Load(5, UnitType::ControllerCD, UpgradeType::SingleUnit));
    EXPECT_EQ(console.statusLines.size(), 2u);
    EXPECT_EQ(console.dialogRuns, 0);
}

TEST_F(Selection, AdvancedReadsOnlyTheExactExtensions) {
    MakeHexApplication("chosen.hex", 1, 2);
    MakeSRecordApplication("chosen.s28", 2, 3);
    std::filesystem::copy_file("chosen.hex", "chosen.HEX");
    std::filesystem::copy_file("chosen.s28", "chosen.S28");
    console.fileToChoose = folder.path().string() + "/chosen.hex";
    EXPECT_TRUE(Load(0, UnitType::Terminal, UpgradeType::Advanced));
    EXPECT_EQ(image.fileVersion, 0x0102);
    console.fileToChoose = "chosen.s28";
    EXPECT_TRUE(Load(0, UnitType::Terminal, UpgradeType::Advanced));
    EXPECT_EQ(image.fileVersion, 0x0203);
    EXPECT_EQ(console.statusLines.back(), "V2.03  chosen.s28");

    const std::size_t lines = console.statusLines.size();
    for (const char* refused : {"chosen.HEX", "chosen.S28", "chosen", "dir.hex/chosen"}) {
        console.fileToChoose = refused;
        EXPECT_FALSE(Load(3, UnitType::Terminal, UpgradeType::Advanced)) << refused;
    }
    console.fileToChoose.reset(); // cancelled
    EXPECT_FALSE(Load(3, UnitType::Terminal, UpgradeType::Advanced));
    console.fileToChoose = "absent.hex";
    EXPECT_FALSE(Load(3, UnitType::Terminal, UpgradeType::Advanced));
    EXPECT_EQ(console.statusLines.size(), lines);
    // An S-record file that holds no S2 record: the reader's false refuses it.
    WriteTextFile("s1only.s28", Lines({SRecord('1', 0x4000, 2, {1, 2})}));
    console.fileToChoose = "s1only.s28";
    EXPECT_FALSE(Load(3, UnitType::Terminal, UpgradeType::Advanced));
    EXPECT_EQ(console.statusLines.back(), "V255.255  s1only.s28");
    EXPECT_EQ(console.dialogRuns, 9);
}

TEST_F(Selection, DamagedFilesAreRefusedWithTheirLine) {
    std::string bad = SRecord('2', 0xFC4010, 3, {5});
    bad.back() = bad.back() == '0' ? '1' : '0';
    WriteTextFile("Terminal-P3.S28", Lines({"S0030000FC", SRecord('2', 0xFF9F00, 3, {1, 0}), bad,
                                            SRecord('2', 0xFC4020, 3, {7}), "S804000000FB"}));
    EXPECT_FALSE(Load(4, UnitType::Terminal, UpgradeType::SingleUnit));
    EXPECT_EQ(console.statusLines,
              (std::vector<std::string>{"V1.00  Terminal-P3.S28",
                                        "Application File damaged at line 3!"}));
    // Under "Advanced" the same.
    WriteTextFile("half.hex", Lines({IntelRecord(0, 0x4000, {1}), "", IntelRecord(0, 0x4001, {2}),
                                     "junk line FF", IntelRecord(0, 0x4002, {3})}));
    console.fileToChoose = "half.hex";
    EXPECT_FALSE(Load(0, UnitType::Terminal, UpgradeType::Advanced));
    EXPECT_EQ(console.statusLines.back(), "Application File damaged at line 4!");
    // A damaged first record makes the reader's result false, and still names the line.
    WriteTextFile("Terminal-K1.hex", Lines({":0240000001", IntelRecord(0, 0x4000, {1})}));
    EXPECT_FALSE(Load(2, UnitType::Terminal, UpgradeType::SingleUnit));
    EXPECT_EQ(console.statusLines.back(), "Application File damaged at line 1!");
    // A whole file afterwards is accepted again.
    WriteTextFile("Terminal-K1.hex", Lines({IntelRecord(0, 0x4000, {1}), ":00000001FF"}));
    EXPECT_TRUE(Load(2, UnitType::Terminal, UpgradeType::SingleUnit));
    EXPECT_EQ(image.damagedAtLine, 0);
}

TEST_F(Selection, FilesWithoutAByteForTheFlashAreRefused) {
    // Lines that are no records pass the HEX checksum rule as empty data records.
    WriteTextFile("Terminal-K1.hex", Lines({"<html>", "<body>Not Found</body>", "</html>"}));
    EXPECT_FALSE(Load(2, UnitType::Terminal, UpgradeType::SingleUnit));
    EXPECT_EQ(console.statusLines, (std::vector<std::string>{"V255.255  Terminal-K1.hex",
                                                             "Application File holds no data!"}));
    // S2 records that all lie above the flash stretch, and a blank HEX file under "Advanced".
    WriteTextFile("Terminal-P3.S28",
                  Lines({SRecord('2', 0xFFA000, 3, {1, 2}), SRecord('2', 0xFFB000, 3, {3})}));
    EXPECT_FALSE(Load(4, UnitType::Terminal, UpgradeType::SingleUnit));
    EXPECT_EQ(console.statusLines.back(), "Application File holds no data!");
    WriteTextFile("blank.hex", "\n");
    console.fileToChoose = "blank.hex";
    EXPECT_FALSE(Load(0, UnitType::Terminal, UpgradeType::Advanced));
    EXPECT_EQ(console.statusLines.back(), "Application File holds no data!");
    // One stored byte is enough.
    WriteTextFile("Terminal-K1.hex", Lines({"<html>", IntelRecord(0, 0xFBFF, {9}), ":00000001FF"}));
    EXPECT_TRUE(Load(2, UnitType::Terminal, UpgradeType::SingleUnit));
    EXPECT_EQ(console.statusLines.back(), "V255.255  Terminal-K1.hex");
}

TEST_F(Selection, VersionsReportListsTheFilesAtHandInOrder) {
    MakeHexApplication("Host-K2.hex", 1, 10);
    MakeHexApplication("Terminal-K2.hex", 2, 5);
    ReportFileVersions(image, console, UpgradeType::SingleUnit, folderTrust());
    EXPECT_EQ(console.statusLines,
              (std::vector<std::string>{"Application File Versions:", "V2.05  Terminal-K2.hex",
                                        "V1.10  Host-K2.hex", ""}));

    // On disk as the selection spells it; the report still names it its own way.
    console.statusLines.clear();
    MakeSRecordApplication("Terminal-P9.s28", 9, 1);
    MakeSRecordApplication("remoteP2.S28", 3, 0);
    MakeHexApplication("QRM-C.hex", 4, 4);
    ReportFileVersions(image, console, UpgradeType::AllUnitsOneAtATime, folderTrust());
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
    ReportFileVersions(image, console, UpgradeType::Advanced, folderTrust());
    EXPECT_EQ(console.statusLines,
              (std::vector<std::string>{"Application File Versions:", "V6.02  mine.bin"}));
    console.fileToChoose.reset();
    ReportFileVersions(image, console, UpgradeType::Advanced, folderTrust());
    EXPECT_EQ(console.statusLines.back(), "Application File Versions:");
    EXPECT_EQ(console.dialogRuns, 2);
}

} // namespace
