// Firmware files whose names differ in case from the names the tool asks for.

#include "image/fileSelection.h"
#include "tests/support/folderTrust.h"
#include "upgradeFixture.h"

#include <fstream>
#include <unistd.h>

using namespace upgradetest;

namespace {

class InScratchFolder : public ::testing::Test {
protected:
    InScratchFolder()
        : scratch(std::filesystem::temp_directory_path() /
                  ("nexalo-lookup-" + std::to_string(getpid()))) {
        std::filesystem::create_directories(scratch);
        folder = std::make_unique<WorkingFolder>(scratch);
    }
    ~InScratchFolder() override {
        folder.reset();
        std::filesystem::remove_all(scratch);
    }
    void copySample(const std::string& sample, const std::string& as) {
        std::filesystem::copy_file(std::filesystem::path(NEXALO_FW_SAMPLES_DIR) / sample,
                                   scratch / as);
    }
    bool load(std::uint8_t product) {
        return LoadApplicationFile(image, console, product, UnitType::Terminal,
                                   UpgradeType::SingleUnit, folderTrust());
    }

    std::filesystem::path scratch;
    std::unique_ptr<WorkingFolder> folder;
    RecordingConsole console;
    FirmwareImage image;
};

TEST_F(InScratchFolder, TheExactNameFirstThenTheOneMatchIgnoringCase) {
    copySample("Terminal-K2.hex", "TERMINAL-k2.HEX");
    EXPECT_TRUE(load(3));
    EXPECT_EQ(console.statusLines, std::vector<std::string>{"V2.21  TERMINAL-k2.HEX"});

    // The versions report finds the same files but names them as it lists them.
    copySample("Terminal-P9.s28", "terminal-p9.S28");
    console.statusLines.clear();
    ReportFileVersions(image, console, UpgradeType::SingleUnit, folderTrust());
    EXPECT_EQ(console.statusLines,
              (std::vector<std::string>{"Application File Versions:", "V2.21  Terminal-K2.hex",
                                        "V3.79  Terminal-P9.S28", ""}));

    copySample("Host-K2.hex", "terminal-k2.hex"); // now two entries match and neither exactly
    console.statusLines.clear();
    EXPECT_FALSE(load(3));
    EXPECT_EQ(console.statusLines.front(), "Application Files TERMINAL-k2.HEX and "
                                           "terminal-k2.hex both stand for Terminal-K2.hex!");

    copySample("Terminal-K2.hex", "Terminal-K2.hex");
    console.statusLines.clear();
    EXPECT_TRUE(load(3));
    EXPECT_EQ(console.statusLines, std::vector<std::string>{"V2.21  Terminal-K2.hex"});
}

} // namespace
