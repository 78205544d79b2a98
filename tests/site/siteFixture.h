#pragma once
// A site in a working folder that holds the sample firmware files: the mixed site of
// mixedSite.json, or any other network.

#include "tests/support/sampleFiles.h"
#include "tests/support/workingFolder.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace sitetest {

inline std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::string mixedSite() {
    return readText(NEXALO_SOURCE_DIR "/tests/site/mixedSite.json");
}

// The sample files named in the samples' listing, copied into folder.
inline void copySamples(const std::filesystem::path& folder) {
    testkit::copySampleFiles(NEXALO_FW_SAMPLES_DIR, folder);
}

} // namespace sitetest
