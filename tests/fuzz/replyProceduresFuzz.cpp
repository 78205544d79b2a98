// Runs the procedures that read reply fields (the survey with its host probe, identification,
// unit information and terminal lists; discovery by unit list or by scan; the remote upgrade's
// pass-through replies; the fast-poll counters and online maps) against units whose answers
// come from the input (see scriptedReplies.h), on the virtual clock. The first byte picks the
// procedure. Whatever the units answer, the run ends and claims nothing the replies did not say.

#include "image/remoteImage.h"
#include "link/catalogue.h"
#include "link/silentConsole.h"
#include "scriptedReplies.h"
#include "tools/fastPoll.h"
#include "tools/networkSurvey.h"
#include "trust/folderTrust.h"
#include "upgrade/discovery.h"
#include "upgrade/remote.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <unistd.h>

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

constexpr std::uint8_t kRemoteProduct = 58;
// Readings of the fast-poll display before the operator stops it.
constexpr int kFastPollWaits = 40;

// Checks the fast-poll display as it is drawn.
class DisplayConsole : public SilentConsole {
public:
    void replaceReport(std::string_view text) override {
        // Every line of the display is a heading and at most one row of 16 cells.
        for (std::size_t from = 0; from < text.size();) {
            std::size_t end = text.find('\n', from);
            if (end == std::string_view::npos) end = text.size();
            Require(end - from <= 70);
            from = end + 1;
        }
    }
};

std::string s1Record(std::uint16_t address, std::initializer_list<std::uint8_t> bytes) {
    const auto count = static_cast<unsigned>(bytes.size() + 3);
    unsigned sum = count + (address >> 8) + (address & 0xFF);
    char text[16];
    std::snprintf(text, sizeof text, "S1%02X%04X", count, address);
    std::string record = text;
    for (std::uint8_t b : bytes) {
        std::snprintf(text, sizeof text, "%02X", b);
        record += text;
        sum += b;
    }
    std::snprintf(text, sizeof text, "%02X", ~sum & 0xFF);
    return record + text;
}

// The remote upgrade reads its image from the working folder: a folder of the harness's own
// holds one whose reset vector points into the boot area, so that it is sent.
class RemoteImageFolder {
public:
    RemoteImageFolder() {
        char name[] = "/tmp/nexaloFuzzXXXXXX";
        Require(mkdtemp(name) != nullptr);
        path = name;
        const std::optional<std::string> file = RemoteImageFileName(kRemoteProduct);
        Require(file.has_value());
        file_ = path + "/" + *file;
        std::ofstream out(file_);
        out << s1Record(0xE300, {0x12, 0x34, 0x56}) << "\n"
            << s1Record(0xFFFE, {0xE0, 0x00}) << "\nS9030000FC\n";
    }
    ~RemoteImageFolder() {
        std::remove(file_.c_str());
        rmdir(path.c_str());
    }
    std::string path;

private:
    std::string file_;
};

const std::string& remoteImageFolder() {
    static const RemoteImageFolder folder;
    return folder.path;
}

// Works in another folder for as long as it lives; the fuzzer's own paths may be relative.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::string& folder) : previous_(open(".", O_RDONLY)) {
        Require(previous_ >= 0 && chdir(folder.c_str()) == 0);
    }
    ~WorkingFolder() {
        Require(fchdir(previous_) == 0);
        close(previous_);
    }

private:
    int previous_;
};

// One run. With stopAfterWaits, Stop is clicked after that many waits of the run (the fast-poll
// display runs until it is stopped).
struct Run {
    explicit Run(std::string_view input, int stopAfterWaits = 0) : line(input, console) {
        RunControl& control = line.session.control();
        control.begin();
        if (stopAfterWaits == 0) return;
        line.link.setWaitHook([&control, stopAfterWaits, waits = 0]() mutable {
            if (++waits == stopAfterWaits) control.requestStop();
        });
    }
    // A run that starts now reads the working folder's trust, as a face does.
    OperationContext context() {
        trust = ReadFirmwareTrust(line.session.trustSettings());
        return line.session.context(trust);
    }
    FirmwareTrust trust = FirmwareTrust::unread();

    DisplayConsole console;
    ScriptedLink line;
};

void survey(std::string_view input) {
    Run run(input);
    OperationContext context = run.context();
    // Large, and cleared by every survey: kept from run to run.
    static const auto table = std::make_unique<SurveyTable>();
    const SurveyOutcome outcome = surveyBus(context, *table);
    Require(outcome.portOpened);
    Require(outcome.controllers <= SurveyTable::kGroupSize);
    Require(outcome.busTerminals <= SurveyTable::kGroupSize);
}

// Large, and read afresh by every remote upgrade: kept from run to run.
FirmwareImage& image() {
    static FirmwareImage image;
    return image;
}

UpgradeRun upgradeRun(Run& run, FirmwareImage& image, FoundUnits& units,
                      UnitType type = UnitType::Terminal) {
    UpgradeSettings settings;
    settings.unitType = type;
    settings.controllerLA = "01";
    run.line.port.OpenPort();
    run.line.port.SuspendPolling();
    return {run.context(), settings, {false, true}, image, units};
}

void discovery(std::string_view input, UnitType type) {
    Run run(input);
    FoundUnits units;
    UpgradeRun upgrade = upgradeRun(run, image(), units, type);
    const Outcome outcome = FindUnits(upgrade);
    // A lost line ends the search with that outcome, whatever it had listed so far.
    if (outcome.cutShort()) return;
    const bool found = outcome.succeeded();
    // Found means listed: to be upgraded, or there but unanswering and failed already.
    bool listed = false;
    for (int la = FoundUnits::kFirstLA; la <= FoundUnits::kLastLA; ++la) {
        const UnitState state = units.at(la)->state;
        listed = listed || state == UnitState::Pending || state == UnitState::Failed;
    }
    Require(found == listed);
}

void remoteUpgrade(std::string_view input) {
    WorkingFolder folder(remoteImageFolder());
    Run run(input);
    FoundUnits units;
    UpgradeRun upgrade = upgradeRun(run, image(), units);
    const bool written = GoUpgradeRemote(upgrade, "0101", kRemoteProduct).succeeded();
    // Address, erase and two writes for every block of the application area at least.
    constexpr std::size_t kRequestsPerBlock = 4;
    Require(!written || run.line.requests() >= kRequestsPerBlock * remote::BlockCount);
}

void fastPoll(std::string_view input, const std::string& la) {
    Run run(input, kFastPollWaits);
    run.line.port.OpenPort();
    run.line.port.SuspendPolling();
    runFastPoll(run.context(), la);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 6) {
    case 0:
        survey(input);
        break;
    case 1:
        discovery(input, UnitType::Terminal);
        break;
    case 2:
        discovery(input, UnitType::ControllerAB);
        break;
    case 3:
        remoteUpgrade(input);
        break;
    case 4:
        fastPoll(input, "01");
        break;
    default:
        fastPoll(input, "7F");
        break;
    }
    return 0;
}
