// The write phase of a single-unit upgrade of a 64 KiB image against the simulator paced at
// the line rate: how close the page loop comes to the wire time of its frames plus the
// transaction's 2 ms pause per call.

#include "benchFolder.h"
#include "benchSupport.h"
#include "hexWriter.h"
#include "image/pageFormat.h"
#include "imageContent.h"
#include "link/linkSession.h"
#include "sim/networkFile.h"
#include "sim/ptySimulator.h"
#include "trust/folderTrust.h"
#include "upgrade/single.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

constexpr std::uint32_t kImageBytes = 64 * 1024;
constexpr double kPauseSeconds = 0.002;
// "@010000" + address + sequence, the CRC and the carriage return around the command.
constexpr std::size_t kRequestFraming = 7 + 4 + 4 + 4 + 1;
constexpr std::size_t kPageReplyCharacters = 23 + 1;

const char* kNetwork = R"({ "controllers": [
  { "name": "c1", "la": "01", "fixedAddress": "10000001", "productId": 5, "version": "2.01" } ] })";

// Marks the start and end of the page loop by the log lines around it.
class PhaseConsole : public SilentConsole {
public:
    void status(std::string_view line) override {
        if (line == "Write Flash...") writeStarted = wallSeconds();
        if (line == "Resetting unit...") writeEnded = wallSeconds();
    }
    double writeStarted = 0, writeEnded = 0;
};

struct LineFigures {
    std::size_t pages = 0;
    double wire = 0;
};

// The frames the page loop exchanges, from the image itself.
LineFigures idealWritePhase(const FirmwareImage& loaded, std::uint32_t baud) {
    FirmwareImage image = loaded;
    image.cursor = 0;
    LineFigures figures;
    std::size_t characters = 0;
    do {
        const std::string page = FormatWriteData(image);
        if (page.empty()) continue;
        ++figures.pages;
        characters += kRequestFraming + 2 + page.size() + kPageReplyCharacters;
    } while (image.cursor <= image.highestWritten);
    figures.wire = wireSeconds(characters, baud) + figures.pages * kPauseSeconds;
    return figures;
}

void run(std::uint32_t baud, TComPortBaudRate speed) {
    sim::NetworkLoad load = sim::parseNetwork(kNetwork);
    sim::PtySimulator simulator(std::move(*load.network), sim::PtyOptions{baud, 0});
    const auto device = simulator.start();
    if (!device) {
        std::printf("simulator did not start: %s\n", simulator.error().c_str());
        return;
    }
    PhaseConsole console;
    LinkSession session(console);
    TSerialPort& port = session.port();
    configureForTool(port);
    port.setComPortSpeed(speed);
    port.setDevicePath(*device);
    if (!port.OpenPort()) return;
    port.SuspendPolling();
    FirmwareImage image;
    FoundUnits units;
    UpgradeSettings settings;
    settings.unitType = UnitType::ControllerAB;
    settings.controllerLA = "01";
    settings.forceUpgrade = true;
    const FirmwareTrust trust = ReadFirmwareTrust(session.trustSettings());
    UpgradeRun upgrade{session.context(trust), settings, {}, image, units};
    const bool upgraded = GoUpgradeSingle(upgrade, "0100").succeeded();
    const LineFigures ideal = idealWritePhase(image, baud);
    const double took = console.writeEnded - console.writeStarted;
    std::printf("%6u baud  %s  %zu pages  measured %7.3f s  wire + pauses %7.3f s  ratio %5.3f\n",
                baud, upgraded ? "upgraded" : "FAILED  ", ideal.pages, took, ideal.wire,
                ideal.wire / took);
    if (upgraded)
        reportRatio("single-unit write efficiency at " + std::to_string(baud), ideal.wire / took,
                    ">= 0.90");
}

} // namespace

int main() {
    const BenchFolder folder("Controller-K2.hex", fwgen::FileFormat::HexExtended, 9, 90,
                             kImageBytes, 17);
    std::printf("Single-unit write phase, %u-byte image, simulator paced at the line rate "
                "(goal: ratio >= 0.90)\n",
                kImageBytes);
    run(38400, br38400);
    run(57600, br57600);
    return 0;
}
