#pragma once
// What the site benchmarks share: a working folder with the sample firmware files, and a
// session on a simulated bus at the line rate of the benchmarks.

#include "link/linkSession.h"
#include "link/silentConsole.h"
#include "tests/support/sampleFiles.h"
#include "tests/support/workingFolder.h"

#include <filesystem>

constexpr unsigned kSiteBaud = 38400;

class SampleFolder : public WorkingFolder {
public:
    SampleFolder() { testkit::copySampleFiles(NEXALO_FW_SAMPLES_DIR, path()); }
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
