#pragma once
// What the site benchmarks share: a working folder with the sample firmware files, and a
// session on a simulated bus at the line rate of the benchmarks.

#include "link/linkSession.h"
#include "link/silentConsole.h"
#include "tests/support/workingFolder.h"

#include <filesystem>
#include <fstream>
#include <sstream>

constexpr unsigned kSiteBaud = 38400;

class SampleFolder : public WorkingFolder {
public:
    SampleFolder() {
        const std::filesystem::path samples = NEXALO_FW_SAMPLES_DIR;
        std::ifstream listing(samples / "samples.txt");
        for (std::string line; std::getline(listing, line);) {
            if (line.empty() || line[0] == '#') continue;
            const std::string name = line.substr(0, line.find('\t'));
            std::filesystem::copy_file(samples / name, path() / name,
                                       std::filesystem::copy_options::overwrite_existing);
        }
    }
};

// A session on the device behind link, at the benchmarks' line rate.
struct BenchBus {
    explicit BenchBus(const std::string& device) : session(console) {
        configureForTool(session.port());
        session.port().setComPortSpeed(br38400);
        session.port().setDevicePath(device);
    }
    SilentConsole console;
    LinkSession session;
};
