#include "site/siteEstimate.h"

#include "image/fileSelection.h"
#include "image/pageFormat.h"
#include "link/catalogue.h"
#include "link/silentConsole.h"
#include "site/sitePlan.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>

namespace {

// Ten bits a character on the line (start, eight data bits, stop).
constexpr double kBitsPerChar = 10.0;
// A page request carries its bytes as two hex digits each plus its address, count, command and
// check characters; its reply is a short acknowledgement; the unit takes a moment to program it.
constexpr int kPageFrameChars = 40;
constexpr int kPageReplyChars = 20;
constexpr double kPageProgramSeconds = 0.02;
// A remote block is erased and written in two halves through its terminal: three requests with
// their replies, each carrying up to 32 bytes.
constexpr int kRemoteBlockChars = 3 * (60 + 2 * remote::BlockWrite);
// Identification, upgrade mode, erase, restart and the confirmation that the unit runs.
constexpr int kUnitSeconds = 10;
// After the pages: the pause after the reset and the one before the closing commands, within which
// a unit that runs its new image answers.
constexpr int kFinishSeconds =
    static_cast<int>((delay::GlobalAfterResetBroadcast + delay::GlobalBeforeClosing) / 1000);
// Each all-at-once upgrade of controllers (one for each model) searches every LA first.
constexpr int kControllerSearchSeconds = 60;

double writeSeconds(const PlannedWrite& write, std::uint32_t bitsPerSecond) {
    const double perChar = kBitsPerChar / std::max<std::uint32_t>(bitsPerSecond, 1);
    if (write.kind == SiteUnitKind::Remote) return write.pages * kRemoteBlockChars * perChar;
    const double pageChars = kPageFrameChars + 2 * kMaxPageBytes + kPageReplyChars;
    return write.pages * (pageChars * perChar + kPageProgramSeconds);
}

// What the pages of the planned files are counted with: each file read once.
struct PageCount {
    ControllerModel model;
    const FirmwareTrust& trust;
    FirmwareImage& image;
    std::map<std::string, int> known;
};

int pagesOf(const SiteUnit& unit, PageCount& count) {
    if (unit.kind == SiteUnitKind::Remote) return remote::BlockCount + 1;
    if (!unit.file) return 0;
    const auto found = count.known.find(*unit.file);
    if (found != count.known.end()) return found->second;
    SurveyedUnit surveyed;
    surveyed.unit = unit;
    SilentConsole quiet;
    const bool read = LoadApplicationFile(
        count.image, quiet, static_cast<std::uint8_t>(unit.productId),
        unitTypeOf(surveyed, count.model), UpgradeType::SingleUnit, count.trust);
    const int pages = read ? CountPages(count.image) : 0;
    count.known.emplace(*unit.file, pages);
    return pages;
}

std::string groupOf(const SiteUnit& unit) {
    const std::string file = unit.file.value_or("");
    if (unit.kind == SiteUnitKind::Terminal) return "terminals " + unit.address.substr(0, 2) + file;
    if (unit.kind == SiteUnitKind::Controller) return "controllers " + file;
    return "";
}

std::string plural(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string durationText(int seconds) {
    if (seconds < 60) return "under a minute";
    const int minutes = (seconds + 59) / 60;
    if (minutes < 90) return "about " + std::to_string(minutes) + " min";
    return "about " + std::to_string(minutes / 60) + " h " + std::to_string(minutes % 60) + " min";
}

} // namespace

std::vector<PlannedWrite> plannedWrites(const SiteBus& bus, ControllerModel model,
                                        const FirmwareTrust& trust) {
    std::vector<PlannedWrite> writes;
    auto image = std::make_unique<FirmwareImage>();
    PageCount count{model, trust, *image, {}};
    for (const SiteUnit& unit : bus.units)
        if (unit.action == SiteAction::Upgrade)
            writes.push_back({unit.kind, pagesOf(unit, count), groupOf(unit)});
    return writes;
}

SiteEstimate estimateWrites(const std::vector<PlannedWrite>& writes, std::uint32_t bitsPerSecond) {
    SiteEstimate estimate;
    double seconds = 0;
    std::map<std::string, double> groups; // the slowest member of each broadcast
    std::set<std::string> searches;
    for (const PlannedWrite& write : writes) {
        ++estimate.units[static_cast<std::size_t>(write.kind)];
        seconds += kUnitSeconds;
        if (write.kind == SiteUnitKind::Controller) searches.insert(write.group);
        const double pages = writeSeconds(write, bitsPerSecond);
        if (write.group.empty())
            seconds += pages;
        else
            groups[write.group] = std::max(groups[write.group], pages);
    }
    for (const auto& [group, pages] : groups)
        seconds += pages;
    seconds += static_cast<double>(searches.size()) * kControllerSearchSeconds;
    estimate.seconds = static_cast<int>(seconds + 0.5);
    return estimate;
}

int secondsToFinish(SiteUnitKind kind, int pagesLeft, std::uint32_t bitsPerSecond) {
    const double pages = writeSeconds({kind, std::max(pagesLeft, 0), ""}, bitsPerSecond);
    return static_cast<int>(pages + 0.5) + kFinishSeconds;
}

SiteEstimate combineEstimates(const std::vector<SiteEstimate>& buses) {
    SiteEstimate all;
    for (const SiteEstimate& bus : buses) {
        for (std::size_t kind = 0; kind < all.units.size(); ++kind)
            all.units[kind] += bus.units[kind];
        all.seconds = std::max(all.seconds, bus.seconds);
    }
    return all;
}

std::string siteQuestion(const SiteEstimate& estimate, std::uint32_t bitsPerSecond) {
    static constexpr const char* kNames[][2] = {{"host interface", "host interfaces"},
                                                {"controller", "controllers"},
                                                {"terminal", "terminals"},
                                                {"remote", "remotes"}};
    std::string kinds;
    for (std::size_t kind = 0; kind < estimate.units.size(); ++kind) {
        if (estimate.units[kind] == 0) continue;
        if (!kinds.empty()) kinds += ", ";
        kinds += plural(estimate.units[kind], kNames[kind][0], kNames[kind][1]);
    }
    return "Upgrade " + plural(estimate.total(), "unit", "units") + ": " + kinds +
           ".\nEstimated time: " + durationText(estimate.seconds) + " at " +
           std::to_string(bitsPerSecond) + " baud.\nStart the upgrade?";
}
