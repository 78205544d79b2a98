#pragma once
// A site in a working folder that holds the sample firmware files: the mixed site of
// mixedSite.json, or any other network.

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
    const std::filesystem::path samples = NEXALO_FW_SAMPLES_DIR;
    std::istringstream listing(readText(samples / "samples.txt"));
    for (std::string line; std::getline(listing, line);) {
        if (line.empty() || line[0] == '#') continue;
        const std::string name = line.substr(0, line.find('\t'));
        std::filesystem::copy_file(samples / name, folder / name,
                                   std::filesystem::copy_options::overwrite_existing);
    }
}

} // namespace sitetest
