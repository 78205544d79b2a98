// All terminals of a controller at once against one at a time, on a simulated 57600-baud line
// with a 4 KiB image: both times and their ratio for 1, 4 and 16 terminals, and what each
// added terminal costs in the all-at-once form against the line time of its own exchanges
// (its status polls and the few requests before them, each with the 2 ms pause of a call).

#include "benchFolder.h"
#include "benchSupport.h"
#include "hexWriter.h"
#include "imageContent.h"
#include "link/catalogue.h"
#include "link/linkSession.h"
#include "sim/networkFile.h"
#include "sim/ptySimulator.h"
#include "trust/folderTrust.h"
#include "upgrade/global.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::uint32_t kBaud = 57600;
constexpr std::uint32_t kImageBytes = 4096;
constexpr double kPauseSeconds = 0.002;
constexpr char kController[] = "01";
// "@010000" + address + sequence + CRC + CR around the command.
constexpr std::size_t kRequestFrame = 20;
// Replies with their carriage return, by command.
const std::map<std::string, std::size_t> kReplyCharacters{
    {cmd::EnterUpgrade, reply::UpgradeModeLength + 1},
    {cmd::StatusPoll, reply::StatusLength + 1},
    {cmd::FlashStatus, reply::FlashStatusLength + 1}};

std::string network(int terminals) {
    std::string json = R"({"controllers": [{"la": "01", "productId": 5, "terminals": [)";
    for (int la = 1; la <= terminals; ++la) {
        char entry[96];
        std::snprintf(entry, sizeof entry, R"(%s{"la": "%02X", "productId": 3, "version": "1.00"})",
                      la > 1 ? "," : "", la);
        json += entry;
    }
    return json + "]}]}";
}

struct Measured {
    double seconds = 0;
    int done = 0;
    double lastUnitLineSeconds = 0; // the exchanges of the highest LA, on the line
    std::vector<std::string> lastUnitCommands;
};

// A port on the simulator of the given network, at the bench's line rate.
struct Line {
    explicit Line(const std::string& json)
        : simulator(std::move(*sim::parseNetwork(json).network), sim::PtyOptions{kBaud, 0}) {
        const std::optional<std::string> device = simulator.start();
        configureForTool(port);
        port.setComPortSpeed(br57600);
        port.setDevicePath(device.value_or(""));
        open = device && port.OpenPort();
        port.SuspendPolling();
    }
    sim::PtySimulator simulator;
    SilentConsole console;
    LinkSession session{console};
    TSerialPort& port = session.port();
    Transaction& link = session.link();
    bool open = false;
};

// The same requests sent straight to one unit, one transaction each: what the link itself
// takes for them.
double replay(const std::vector<std::string>& commands) {
    Line line(network(1));
    const double start = wallSeconds();
    for (const std::string& command : commands) {
        std::string reply;
        reply = line.link.TxMessage(addr::terminal(kController, 1), command, 500, 0).text;
    }
    return wallSeconds() - start;
}

Measured upgrade(int terminals, bool allAtOnce) {
    Line line(network(terminals));
    Measured measured;
    if (!line.open) return measured;

    FirmwareImage image;
    FoundUnits units;
    UpgradeSettings settings{UnitType::Terminal,
                             allAtOnce ? UpgradeType::AllUnits : UpgradeType::AllUnitsOneAtATime,
                             false, kController, "FF"};
    for (int la = 1; la <= terminals; ++la)
        *units.at(la) = FoundUnit{3, 0x0100, 2, UnitState::Pending, {}};
    const FirmwareTrust trust = ReadFirmwareTrust(line.session.trustSettings());
    UpgradeRun run{line.session.context(trust), settings, {false, true}, image, units};

    const double start = wallSeconds();
    allAtOnce ? GoUpgradeGlobalAll(run) : GoUpgradeGlobalOne(run);
    measured.seconds = wallSeconds() - start;
    for (int la = 1; la <= terminals; ++la)
        measured.done += units.at(la)->state == UnitState::Done;

    const std::string last = addr::terminal(kController, static_cast<std::uint8_t>(terminals));
    for (const sim::ReceivedFrame& frame : line.simulator.snapshot().frames) {
        if (frame.address != last) continue;
        measured.lastUnitCommands.push_back(frame.command);
        const auto reply = kReplyCharacters.find(frame.command);
        const std::size_t replyChars = reply == kReplyCharacters.end() ? 0 : reply->second;
        measured.lastUnitLineSeconds +=
            wireSeconds(kRequestFrame + frame.command.size() + replyChars, kBaud) + kPauseSeconds;
    }
    return measured;
}

} // namespace

int main() {
    const BenchFolder folder("Terminal-K2.hex", fwgen::FileFormat::Hex16, 2, 21, kImageBytes, 7);

    std::printf("terminals of one class, %u-byte image, %u baud, simulator paced at the line "
                "rate\n\n",
                kImageBytes, kBaud);
    std::printf("%9s  %14s  %14s  %7s\n", "terminals", "all at once s", "one at a time s", "ratio");
    std::map<int, Measured> all;
    for (int terminals : {1, 4, 16}) {
        all[terminals] = upgrade(terminals, true);
        const Measured one = upgrade(terminals, false);
        std::printf("%9d  %9.2f (%2d)  %10.2f (%2d)  %7.2f\n", terminals, all[terminals].seconds,
                    all[terminals].done, one.seconds, one.done,
                    one.seconds / all[terminals].seconds);
        if (all[terminals].done == terminals && one.done == terminals)
            reportRatio("one at a time / all at once, " + std::to_string(terminals) +
                            (terminals == 1 ? " terminal" : " terminals"),
                        one.seconds / all[terminals].seconds, "");
    }
    const double perUnit = (all[16].seconds - all[1].seconds) / 15;
    const double line = all[16].lastUnitLineSeconds;
    const double direct = replay(all[16].lastUnitCommands);
    std::printf("\nall at once, each added terminal: %.3f s\n"
                "  its own %zu exchanges on the line, with the 2 ms pause of each call: %.3f s"
                "   cost / line = %.3f\n"
                "  the same exchanges sent straight to one unit, measured: %.3f s"
                "   cost / measured = %.3f\n",
                perUnit, all[16].lastUnitCommands.size(), line, perUnit / line, direct,
                perUnit / direct);
    reportRatio("all at once, per-unit cost / wire time of its polls", perUnit / line, "<= 1.10");
    reportRatio("  the same against its polls sent directly", perUnit / direct, "");
}
