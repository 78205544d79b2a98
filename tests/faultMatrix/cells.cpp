#include "cells.h"
#include "tests/support/folderTrust.h"

#include "image/fileSelection.h"
#include "image/pageFormat.h"
#include "image/remoteImage.h"
#include "surveyJudge.h"
#include "tests/globalUpgrade/upgradeFixture.h"

#include <algorithm>

namespace faultmatrix {

namespace {

// The firmware the upgrade columns send: terminal, controller and remote images, each newer than
// what the units run.
constexpr std::uint8_t kTerminalProduct = 3;
constexpr std::uint8_t kControllerProduct = 5;
constexpr std::uint8_t kRemoteProduct = 31;
constexpr std::uint16_t kRemoteFileVersion = 0x0233; // 2.51
// A run that takes this long in real time hangs, whatever its own clock says.
constexpr std::chrono::seconds kRealTimeLimit{30};

constexpr char kSingleNetwork[] = R"({ "controllers": [
  { "name": "c1", "la": "01", "fixedAddress": "10000001", "productId": 5, "terminals": [
    { "name": "t1", "la": "01", "fixedAddress": "20000101", "productId": 3, "version": "1.02" }
  ] } ] })";

constexpr char kGlobalTerminalsNetwork[] = R"({ "controllers": [
  { "name": "c1", "la": "01", "fixedAddress": "10000001", "productId": 5, "terminals": [
    { "name": "t1", "la": "01", "fixedAddress": "20000101", "productId": 3, "version": "1.02" },
    { "name": "t2", "la": "02", "fixedAddress": "20000102", "productId": 3, "version": "1.02" },
    { "name": "t3", "la": "03", "fixedAddress": "20000103", "productId": 3, "version": "1.02" }
  ] } ] })";
constexpr char kGlobalControllersNetwork[] = R"({ "controllers": [
  { "name": "c1", "la": "01", "fixedAddress": "10000001", "productId": 5, "version": "2.01" },
  { "name": "c2", "la": "02", "fixedAddress": "10000002", "productId": 5, "version": "2.01" },
  { "name": "c3", "la": "03", "fixedAddress": "10000003", "productId": 5, "version": "2.01" }
  ] })";
// The units an all-at-once run upgrades: t1 to t3, or c1 to c3.
constexpr int kGlobalUnits = 3;
std::string globalUnitName(Column column, int i) {
    return (column == Column::GlobalTerminals ? "t" : "c") + std::to_string(i);
}

constexpr char kRemoteNetwork[] = R"({ "controllers": [
  { "name": "c1", "la": "05", "fixedAddress": "10000005", "productId": 5, "terminals": [
    { "name": "r1", "la": "13", "fixedAddress": "20000513", "productId": 31, "version": "1.05",
      "remote": { "productId": 31, "version": "2.03" } } ] } ] })";

// A host interface, and two controllers with three terminals between them.
constexpr char kSurveyNetwork[] = R"({
  "host": { "name": "h", "position": "7F00", "fixedAddress": "00007F01", "productId": 18,
            "version": "1.05" },
  "controllers": [
    { "name": "c1", "la": "01", "fixedAddress": "0001A2B3", "productId": 5, "version": "010A",
      "terminals": [
        { "name": "t1", "la": "12", "fixedAddress": "00C0FFEE", "productId": 3, "version": "1.02" },
        { "name": "t2", "la": "13", "fixedAddress": "00C0FFEF", "productId": 38,
          "version": "3.04" } ] },
    { "name": "c2", "la": "02", "fixedAddress": "0002A2B3", "productId": 5, "version": "0201",
      "terminals": [
        { "name": "t3", "la": "05", "fixedAddress": "00C1FFEE", "productId": 3,
          "version": "1.02" } ] } ] })";
constexpr int kSurveyControllers = 2;
constexpr int kSurveyTerminals = 3;

struct PageFacts {
    std::size_t pages = 0;
    std::size_t longestRequest = 0;
};

// The image an upgrade column sends to its units.
FirmwareImage imageOf(Column column) {
    FirmwareImage image;
    SilentConsole quiet;
    if (column == Column::GlobalControllers)
        LoadApplicationFile(image, quiet, kControllerProduct, UnitType::ControllerAB,
                            UpgradeType::AllUnits, folderTrust());
    else
        LoadApplicationFile(image, quiet, kTerminalProduct, UnitType::Terminal,
                            UpgradeType::SingleUnit, folderTrust());
    return image;
}

PageFacts pageFacts(Column column) {
    constexpr std::size_t kFrameAroundPage = 32; // "@010000", address, sequence, "E3", CRC, CR
    FirmwareImage image = imageOf(column);
    PageFacts facts;
    image.cursor = 0;
    while (image.cursor <= image.highestWritten) {
        const std::string page = FormatWriteData(image);
        if (page.empty()) continue;
        ++facts.pages;
        facts.longestRequest = std::max(facts.longestRequest, page.size() + kFrameAroundPage);
    }
    return facts;
}

bool hasFailureLine(const std::vector<std::string>& lines) {
    static const char* const kFailureTexts[] = {"No unit detected!",
                                                "No Application File found!",
                                                "Failed to enter Upgrade mode!",
                                                "No Controller/Terminal detected!",
                                                "Erase Error ",
                                                "Write Error ",
                                                "No response",
                                                "Upgrade Failed!",
                                                "upgrade Failed!",
                                                "No Units found!",
                                                "Serial line lost"};
    for (const std::string& line : lines)
        for (const char* text : kFailureTexts)
            if (line.find(text) != std::string::npos) return true;
    return false;
}

const sim::Unit& unitNamed(const sim::Network& network, const std::string& name) {
    return network.units[static_cast<std::size_t>(sim::findUnit(network, name))];
}

bool unitRunsImage(const sim::Unit& unit, const FirmwareImage& image) {
    return upgradetest::flashHolds(unit, image) && unit.version == image.fileVersion &&
           !unit.upgradeMode;
}

bool remoteRunsImage(const sim::RemoteUnit& remote) {
    FirmwareImage image;
    ReadS19Data(image, kRemoteProduct, folderTrust());
    for (std::int32_t a = remote::ApplicationFirst; a <= remote::VectorLast; ++a) {
        const bool inArea = a <= remote::ApplicationLast || a >= remote::VectorFirst;
        if (inArea && remote.flash[static_cast<std::size_t>(a)] != image.byteAt(a)) return false;
    }
    return remote.version == kRemoteFileVersion && !remote.upgradeMode;
}

// A controller that never answered the scan's poll, so that discovery could not know it was
// there: it was never asked for its information.
bool neverHeard(Column column, const sim::Network& after, const sim::Unit& unit) {
    if (column != Column::GlobalControllers) return false;
    const std::string address = sim::unitAddress(after, unit);
    return std::ranges::none_of(after.frames, [&](const sim::ReceivedFrame& f) {
        return f.address == address && f.command == cmd::UnitInfo;
    });
}

// The units of an all-at-once run that do not run the image.
std::vector<const sim::Unit*> leftAsTheyWere(Column column, const sim::Network& after,
                                             const FirmwareImage& image) {
    std::vector<const sim::Unit*> units;
    for (int i = 1; i <= kGlobalUnits; ++i) {
        const sim::Unit& unit = unitNamed(after, globalUnitName(column, i));
        if (!unitRunsImage(unit, image)) units.push_back(&unit);
    }
    return units;
}

// Every unit of the all-at-once run that does not run the image is named in the report as
// failed (unless discovery never heard of it), or the run found no units at all.
bool everyShortfallReported(Column column, const sim::Network& after,
                            const std::vector<std::string>& lines, const FirmwareImage& image) {
    if (std::ranges::count(lines, std::string("No Units found!")) > 0) return true;
    for (const sim::Unit* unit : leftAsTheyWere(column, after, image)) {
        const std::string failed = "Unit " + sim::unitAddress(after, *unit) + " upgrade Failed!";
        if (std::ranges::count(lines, failed) == 0 && !neverHeard(column, after, *unit))
            return false;
    }
    return true;
}

std::string lastLines(const std::vector<std::string>& lines) {
    std::string text;
    const std::size_t from = lines.size() > 4 ? lines.size() - 4 : 0;
    for (std::size_t i = from; i < lines.size(); ++i)
        text += (text.empty() ? "" : " | ") + lines[i];
    return text;
}

} // namespace

CellSetup setupOf(Column column) {
    switch (column) {
    case Column::Single:
        return {
            kSingleNetwork, {UnitType::Terminal, UpgradeType::SingleUnit, false, "01", "01"}, {}};
    case Column::GlobalTerminals:
        return {kGlobalTerminalsNetwork,
                {UnitType::Terminal, UpgradeType::AllUnits, false, "01", "FF"},
                {false, true}};
    case Column::GlobalControllers:
        return {kGlobalControllersNetwork,
                {UnitType::ControllerAB, UpgradeType::AllUnits, false, "FF", "00"},
                {true, false}};
    case Column::Remote:
        return {kRemoteNetwork, {UnitType::Remote, UpgradeType::SingleUnit, false, "05", "13"}, {}};
    case Column::Survey:
        return {kSurveyNetwork, {}, {}};
    }
    return {};
}

sim::Network networkOf(Column column, const FaultRow& row, std::uint64_t seed) {
    sim::Network network = testkit::networkFrom(setupOf(column).network);
    network.lineFaults = row.faults;
    network.seed = seed;
    return network;
}

std::uint64_t boundOf(Column column, const LineBudget& line) {
    const PageFacts pages = pageFacts(column);
    switch (column) {
    case Column::Single:
        return singleUpgradeBound(line, pages.pages, pages.longestRequest);
    case Column::GlobalTerminals:
    case Column::GlobalControllers:
        return globalAllBound(line, kGlobalUnits, 1, pages.pages, pages.longestRequest);
    case Column::Remote:
        return remoteUpgradeBound(line);
    case Column::Survey:
        return surveyBound(line, kSurveyControllers, kSurveyTerminals);
    }
    return 0;
}

Verdict judgeUpgradeRun(Column column, const sim::Network& after, bool reported,
                        const std::vector<std::string>& statusLines, std::string& detail) {
    detail = lastLines(statusLines);
    bool holds = false;
    bool failureSaid = hasFailureLine(statusLines);
    if (column == Column::Single) {
        holds = unitRunsImage(unitNamed(after, "t1"), imageOf(column));
    } else if (column == Column::Remote) {
        holds = remoteRunsImage(unitNamed(after, "r1").remote);
    } else {
        const FirmwareImage image = imageOf(column);
        holds = true;
        for (int i = 1; i <= kGlobalUnits; ++i)
            holds = holds && unitRunsImage(unitNamed(after, globalUnitName(column, i)), image);
        failureSaid = everyShortfallReported(column, after, statusLines, image);
    }
    if (!reported) return failureSaid ? Verdict::FailedClearly : Verdict::FailedSilent;
    if (holds) return Verdict::Completed;
    if (column == Column::Single || column == Column::Remote) return Verdict::FalseSuccess;
    for (const sim::Unit* unit : leftAsTheyWere(column, after, imageOf(column))) {
        const bool unheard = neverHeard(column, after, *unit);
        detail += ", " + unit->name + (unheard ? " never heard" : " left out");
        if (!unheard) return Verdict::FalseSuccess;
    }
    return Verdict::Missed;
}

OverrunGuard::OverrunGuard(RecordingConsole& console, Clock& clock, std::uint64_t boundMs)
    : console_(console), clock_(clock), startMs_(clock.nowMs()), boundMs_(boundMs),
      started_(std::chrono::steady_clock::now()) {
    console_.onWait = [this] { check(); };
}

OverrunGuard::~OverrunGuard() {
    console_.onWait = nullptr;
}

double OverrunGuard::realMs() const {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started_)
        .count();
}

void OverrunGuard::check() const {
    if (elapsedMs() > boundMs_) throw Overrun{"past its bound"};
    if (std::chrono::steady_clock::now() - started_ > kRealTimeLimit)
        throw Overrun{"past the real-time limit"};
}

void writeMatrixFirmware() {
    upgradetest::writeFirmware("Terminal-K2.hex", fwgen::FileFormat::Hex16, 2, 21, 4096, 5);
    upgradetest::writeFirmware("Controller-K2.hex", fwgen::FileFormat::Hex16, 2, 35, 4096, 7);
    upgradetest::writeFirmware("remoteR1.s19", fwgen::FileFormat::S19, 2, 51, 6910, 9);
}

} // namespace faultmatrix
