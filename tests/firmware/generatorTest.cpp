// nexalo-fwgen run as a program: its files must satisfy srec_cat and the tool's readers.

#include "fileChecks.h"
#include "imageContent.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using fwgen::FileFormat;

namespace {

fs::path scratchFolder() {
    const fs::path folder = fs::temp_directory_path() / ("fwgen-test-" + std::to_string(getpid()));
    fs::create_directories(folder);
    return folder;
}

int runGenerator(const std::string& arguments) {
    const std::string command = std::string(NEXALO_FWGEN) + " " + arguments + " 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Case {
    const char* format;
    FileFormat kind;
    std::uint32_t size;
    std::uint64_t seed;
};

// What the tool's readers make of a file: which addresses they store and where they look
// for the version, in file addresses.
struct ReaderView {
    bool intel;
    std::uint32_t base; // lowest address in the file
    std::uint32_t versionAddress;
    bool (*stores)(std::uint32_t address);
    const char* endRecord;
};

bool inHexWindow(std::uint32_t image) {
    return (image >= 0x4000 && image <= 0xFBFF) || (image >= 0x22000 && image <= 0x2FFFF) ||
           (image >= 0x34000 && image <= 0x3FBFF);
}

ReaderView readerView(FileFormat kind) {
    switch (kind) {
    case FileFormat::Hex16:
        return {true, 0x4000, 0xFBFC, [](std::uint32_t a) { return a < 0x10000 && inHexWindow(a); },
                ":00000001FF"};
    case FileFormat::HexExtended:
        return {true, 0xFE2000, 0xFFFBFC,
                [](std::uint32_t a) { return a >= 0xFC0000 && inHexWindow(a & 0x3FFFF); },
                ":00000001FF"};
    case FileFormat::S28:
        return {false, 0xFC4000, 0xFF9F00,
                [](std::uint32_t a) { return a >= 0xFC0000 && (a & 0x3FFFF) <= 0x39FFF; },
                "S804000000FB"};
    case FileFormat::S19:
        // Only these stretches of a remote image ever reach the remote.
        return {false, 0xE300, 0xFDFE,
                [](std::uint32_t a) { return (a >= 0xE300 && a <= 0xFDFF) || a >= 0xFFDC; },
                "S903E0001C"};
    }
    return {};
}

class GeneratedFile : public testing::TestWithParam<Case> {
protected:
    fs::path file;
    fwgen::ImagePlan plan;

    void SetUp() override {
        const Case& c = GetParam();
        plan = {c.kind, 7, 42, c.size, c.seed};
        file = scratchFolder() / (std::string("sample-") + c.format + "-" + std::to_string(c.size));
        ASSERT_EQ(runGenerator(std::string("--format ") + c.format + " --version 7.42 --size " +
                               std::to_string(c.size) + " --seed " + std::to_string(c.seed) + " " +
                               file.string()),
                  0);
    }
    void TearDown() override { fs::remove_all(file.parent_path()); }
};

TEST_P(GeneratedFile, RecordsAreWellFormedAndInsideTheReaderWindows) {
    const ReaderView view = readerView(plan.format);
    const std::string text = readText(file);
    std::string error;
    const auto records = view.intel ? scanIntelHex(text, error) : scanSRecords(text, error);
    ASSERT_EQ(error, "");
    ASSERT_FALSE(records.empty());

    std::size_t dataBytes = 0;
    for (const ScannedRecord& record : records) {
        EXPECT_LE(record.dataBytes, 32u);
        const bool isData = record.type == "00" || record.type == "S1" || record.type == "S2";
        if (!isData) continue;
        dataBytes += record.dataBytes;
        for (std::uint32_t i = 0; i < record.dataBytes; ++i)
            EXPECT_TRUE(view.stores(record.address + i)) << std::hex << record.address + i;
    }
    const std::size_t vectors = plan.format == FileFormat::S19 ? 36 : 0;
    EXPECT_EQ(dataBytes, plan.size + 2 + vectors);
    EXPECT_TRUE(text.ends_with(std::string(view.endRecord) + "\n"));
    if (plan.format == FileFormat::Hex16) {
        EXPECT_EQ(text.find(":02000004"), std::string::npos) << "16-bit file with a bank record";
    }
}

TEST_P(GeneratedFile, SrecCatReadsTheImageAndTheVersion) {
    const ReaderView view = readerView(plan.format);
    const auto binary = srecCatBinary(file, view.intel, view.base);
    ASSERT_TRUE(binary.has_value()) << "srec_cat refused " << file;

    const std::size_t version = view.versionAddress - view.base;
    ASSERT_GT(binary->size(), version + 1);
    EXPECT_EQ((*binary)[version], 7);
    EXPECT_EQ((*binary)[version + 1], 42);
    for (const fwgen::Segment& segment : fwgen::buildImage(plan)) {
        const auto from = binary->begin() + (segment.address - view.base);
        ASSERT_LE(segment.address - view.base + segment.bytes.size(), binary->size());
        EXPECT_TRUE(std::equal(segment.bytes.begin(), segment.bytes.end(), from))
            << "segment at " << std::hex << segment.address;
    }
    if (plan.format == FileFormat::S19) {
        const std::size_t reset = 0xFFFE - view.base;
        EXPECT_TRUE((*binary)[reset] == 0xE0 || (*binary)[reset + 1] == 0x00);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, GeneratedFile,
    testing::Values(Case{"hex", FileFormat::Hex16, 1, 3}, Case{"hex", FileFormat::Hex16, 1000, 4},
                    Case{"hex", FileFormat::Hex16, 0xFBFC - 0x4000, 5},
                    Case{"hex-ela", FileFormat::HexExtended, 33, 6},
                    Case{"hex-ela", FileFormat::HexExtended, 0xE000 + 17, 7},
                    Case{"hex-ela", FileFormat::HexExtended, 0xE000 + 0xBBFC, 8},
                    Case{"s28", FileFormat::S28, 31, 9},
                    Case{"s28", FileFormat::S28, 0x39F00 - 0x4000, 10},
                    Case{"s19", FileFormat::S19, 5, 11}, Case{"s19", FileFormat::S19, 6910, 12}),
    [](const testing::TestParamInfo<Case>& info) {
        std::string name = std::string(info.param.format) + "_" + std::to_string(info.param.size);
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

TEST(GeneratorCommandLine, SameSeedSameFileOtherSeedOtherBytes) {
    const fs::path folder = scratchFolder();
    const auto make = [&](const std::string& seed, const std::string& subfolder) {
        const fs::path file = folder / subfolder / "same.S28";
        fs::create_directories(file.parent_path());
        EXPECT_EQ(runGenerator("--format s28 --version 1.00 --size 4096 --seed " + seed + " " +
                               file.string()),
                  0);
        return readText(file);
    };
    const std::string first = make("17", "a"), again = make("17", "b");
    const std::string other = make("18", "a");
    EXPECT_EQ(first, again);
    EXPECT_NE(first, other);
    EXPECT_EQ(first.size(), other.size());
    fs::remove_all(folder);
}

TEST(GeneratorCommandLine, RefusesWhatNoReaderWouldTakeWithStatusTwo) {
    const std::string out = (scratchFolder() / "refused.hex").string();
    const char* refused[] = {
        "--format hex --version 1.00 --size 48125",      // over the 16-bit window
        "--format hex-ela --version 1.00 --size 105469", // over both high windows
        "--format s28 --version 1.00 --size 220929",     // would reach the version bytes
        "--format s19 --version 1.00 --size 6911",       // beyond the remote application area
        "--format hex --version 1.256",
        "--format hex --version 1",
        "--format ihex --version 1.00",
        "--version 1.00",
        "--format hex --version 1.00 --size 0",
    };
    for (const char* arguments : refused) {
        EXPECT_EQ(runGenerator(std::string(arguments) + " " + out), 2) << arguments;
        EXPECT_FALSE(fs::exists(out)) << arguments;
    }
    EXPECT_EQ(runGenerator("--format hex --version 1.00"), 2) << "without OUTPUT";
    fs::remove_all(fs::path(out).parent_path());
}

TEST(GeneratorCommandLine, ProductNamesTheFileInAFolder) {
    const fs::path folder = scratchFolder() / "products";
    fs::create_directories(folder);
    const auto folderArg = " " + folder.string();
    EXPECT_EQ(runGenerator("--format s19 --version 2.00 --product 59" + folderArg), 0);
    EXPECT_EQ(runGenerator("--format hex --version 2.00 --product 6" + folderArg), 0);
    EXPECT_EQ(runGenerator("--format s28 --version 2.00 --product 92" + folderArg), 0);
    EXPECT_TRUE(fs::exists(folder / "remoteR1.s19"));
    EXPECT_TRUE(fs::exists(folder / "Terminal-K2.hex"));
    EXPECT_TRUE(fs::exists(folder / "remoteP2.S28"));
    // The file of product 5 depends on the unit type; product 6 takes no S-record file.
    EXPECT_EQ(runGenerator("--format hex --version 2.00 --product 5" + folderArg), 2);
    EXPECT_EQ(runGenerator("--format s28 --version 2.00 --product 6" + folderArg), 2);
    EXPECT_EQ(runGenerator("--format s28 --version 2.00" + folderArg), 2);
    fs::remove_all(folder.parent_path());
}

} // namespace
