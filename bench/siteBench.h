#pragma once
// What the site benchmarks share: a working folder with the sample firmware files, and a
// session on a simulated bus at the line rate of the benchmarks.

#include "link/linkSession.h"
#include "link/silentConsole.h"
#include "tests/support/sampleFiles.h"
#include "tests/support/workingFolder.h"
#include "trust/folderTrust.h"

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

// A run's operation with the working folder's trust read first, as a face reads it at the start
// of a run: without it every file is refused.
template <typename Run> auto withFolderTrust(LinkSession& session, Run run) {
    return [&session, run](OperationContext& context) {
        const FirmwareTrust trust = ReadFirmwareTrust(session.trustSettings());
        OperationContext trusted{context.link,    context.console, context.clock,
                                 context.control, trust,           context.units};
        run(trusted);
    };
}
