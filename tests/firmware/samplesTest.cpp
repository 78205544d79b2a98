// The sample firmware files made at build time: one for every file the tool asks for, each
// readable and carrying the version that the listing gives.

#include "fileChecks.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

struct Listed {
    std::string format;
    std::string version;
};

std::map<std::string, Listed> readListing() {
    std::map<std::string, Listed> listing;
    std::ifstream in(fs::path(NEXALO_FW_SAMPLES_DIR) / "samples.txt");
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line.starts_with("#")) continue;
        std::istringstream fields(line);
        std::string name;
        Listed entry;
        fields >> name >> entry.format >> entry.version;
        listing[name] = entry;
    }
    return listing;
}

// The names that file selection, the versions report and the remote upgrade open.
const char* const kToolFileNames[] = {
    "Terminal-K1.hex",
    "Terminal-K2.hex",
    "Terminal-P3.S28",
    "Controller-K2.hex",
    "QRM-C.hex",
    "Host-K2.hex",
    "AdvancedController-K2.hex",
    "Terminal-P1.S28",
    "Terminal-P4.S28",
    "Terminal-P5.S28",
    "Terminal-P6.S28",
    "Terminal-P7.S28",
    "QRM-D.S28",
    "Terminal-P9.s28",
    "remoteP2.S28",
    "Terminal-P8.S28",
    "remoteR1.s19",
};

// Where the tool takes the version from, by kind of file; base is the first address that
// srec_cat's binary holds.
struct VersionPlace {
    bool intel;
    std::uint32_t base;
    std::uint32_t address;
};

VersionPlace versionPlace(const std::string& format) {
    if (format == "hex") return {true, 0x4000, 0xFBFC};
    if (format == "hex-ela") return {true, 0xFE2000, 0xFFFBFC};
    if (format == "s28") return {false, 0xFC4000, 0xFF9F00};
    return {false, 0xE300, 0xFDFE};
}

std::string versionText(std::uint8_t major, std::uint8_t minor) {
    char text[16];
    std::snprintf(text, sizeof text, "%d.%.2d", major, minor);
    return text;
}

TEST(SampleFiles, EveryFileTheToolOpensIsListedAndPresent) {
    const auto listing = readListing();
    for (const char* name : kToolFileNames) {
        EXPECT_TRUE(listing.contains(name)) << name;
        EXPECT_TRUE(fs::exists(fs::path(NEXALO_FW_SAMPLES_DIR) / name)) << name;
    }
}

TEST(SampleFiles, EachIsReadBySrecCatWithItsListedVersion) {
    std::set<std::string> versions;
    for (const auto& [name, entry] : readListing()) {
        const fs::path file = fs::path(NEXALO_FW_SAMPLES_DIR) / name;
        const VersionPlace place = versionPlace(entry.format);
        std::string error;
        const std::string text = readText(file);
        if (place.intel)
            scanIntelHex(text, error);
        else
            scanSRecords(text, error);
        EXPECT_EQ(error, "") << name;

        const auto binary = srecCatBinary(file, place.intel, place.base);
        ASSERT_TRUE(binary.has_value()) << "srec_cat refused " << name;
        const std::size_t at = place.address - place.base;
        ASSERT_GT(binary->size(), at + 1) << name;
        EXPECT_EQ(versionText((*binary)[at], (*binary)[at + 1]), entry.version) << name;
        versions.insert(entry.version);
    }
    EXPECT_EQ(versions.size(), readListing().size()) << "two samples share a version";
}

} // namespace
