#include "site/siteEstimate.h"

#include "image/fileSelection.h"
#include "image/pageFormat.h"
#include "link/addressSearch.h"
#include "link/catalogue.h"
#include "link/replyReader.h"
#include "link/silentConsole.h"
#include "site/sitePlan.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>

namespace {

// What the time is made of: the characters of each exchange at ten bits each (start, eight data
// bits, stop), the pause before every request, and the fixed pauses and waits of each procedure
// as a run on the simulated line shows them.
constexpr double kBitsPerChar = 10.0;
constexpr double kPauseSeconds = 0.002;
// A request's frame around its command: start, address, sequence number, CRC, carriage return.
constexpr int kFrameChars = 20;
constexpr int kCommandChars = 2;
// A page's text: its address and byte count, then two hex digits a byte.
constexpr int kPageHeadChars = 12;
constexpr int kLargestPageChars = kPageHeadChars + 2 * kMaxPageBytes;
// A page broadcast to a class holds the line for little more than half its characters' time:
// the first unit's flash status request follows while its tail is still going out (as measured
// on the simulated line).
constexpr double kBroadcastPageShare = 0.54;
// Each unit of a broadcast is asked for its flash status after every page.
constexpr int kPageCheckChars = kFrameChars + kCommandChars + int(reply::FlashStatusLength) + 1;
// A page sent to one unit comes back with its result.
constexpr int kPageReplyChars = int(reply::EraseWriteLength) + 1;
// Each unit of a broadcast: its entry into upgrade mode and the checks that it came, that it
// erased and that it runs again, and the waits among them.
constexpr int kBroadcastUnitChars = 4 * kPageCheckChars;
constexpr double kBroadcastUnitSeconds = 0.1;
// A broadcast's pauses (after the erase, after the reset, before the closing commands), the
// controller's list and the restart; controllers take longer to restart than terminals.
constexpr double kTerminalsBroadcastSeconds = 17.6;
constexpr double kControllersBroadcastSeconds = 35.0;
// One unit alone: its erase, its restart and the confirmation that it runs.
constexpr double kSingleSeconds = 7.8;
// A remote block is set, erased and written in two halves through its terminal.
constexpr int kRemoteBlockChars = 354;
constexpr int kRemoteBlockRequests = 3;
constexpr double kRemoteSeconds = 1.1;
// The search of the controllers: each one there answers a poll and its information; each silent
// LA is asked twice (its retry, or the pass and one round after it), up to once more for every
// extra attempt when the rounds are as many as they may be.
constexpr int kFoundChars = 2 * (kFrameChars + kCommandChars) + int(reply::StatusLength) + 1 +
                            int(reply::UnitInfoFullThreshold) + 20;
constexpr int kSilentPollChars = kFrameChars + kCommandChars;
constexpr double kSilentSeconds = tr::DiscoveryScanPoll.timeout / 1000.0;
// With extra attempts the line is measured on the units there before the rounds.
constexpr int kMeasuringPolls = int(AddressSearch::kMeasuredSendings);
constexpr int kMeasuringPollChars = kFrameChars + kCommandChars + int(reply::StatusLength) + 1;

// After the pages: the pause after the reset and the one before the closing commands, within
// which a unit that runs its new image answers.
constexpr int kFinishSeconds =
    static_cast<int>((delay::GlobalAfterResetBroadcast + delay::GlobalBeforeClosing) / 1000);

struct Line {
    double perChar;
    double chars(double count) const { return count * perChar; }
    double exchanges(double count, double charsEach) const {
        return count * (charsEach * perChar + kPauseSeconds);
    }
};

double pageTextChars(const PlannedWrite& write) {
    return write.pageChars > 0 ? write.pageChars : double(write.pages) * kLargestPageChars;
}

// One unit's pages alone, its remote's blocks, or one broadcast's pages with its units' checks.
double singleSeconds(const PlannedWrite& write, const Line& line) {
    if (write.kind == SiteUnitKind::Remote)
        return line.exchanges(write.pages * kRemoteBlockRequests,
                              double(kRemoteBlockChars) / kRemoteBlockRequests) +
               kRemoteSeconds;
    return line.exchanges(write.pages, kFrameChars + kCommandChars + kPageReplyChars) +
           line.chars(pageTextChars(write)) + kSingleSeconds;
}

struct Broadcast {
    SiteUnitKind kind = SiteUnitKind::Terminal;
    int units = 0;
    int pages = 0;
    double pageChars = 0;
    int silentLas = 0;
};

double broadcastSeconds(const Broadcast& broadcast, const Line& line) {
    const double pages = line.exchanges(broadcast.pages, kFrameChars + kCommandChars) +
                         line.chars(broadcast.pageChars * kBroadcastPageShare) +
                         line.exchanges(double(broadcast.pages) * broadcast.units, kPageCheckChars);
    const double units =
        broadcast.units * (line.chars(kBroadcastUnitChars) + kBroadcastUnitSeconds);
    const double fixed = broadcast.kind == SiteUnitKind::Controller ? kControllersBroadcastSeconds
                                                                    : kTerminalsBroadcastSeconds;
    return pages + units + fixed;
}

// The search before a broadcast of controllers, as short and as long as it may be.
std::pair<double, double> searchSeconds(const Broadcast& broadcast, const Line& line,
                                        int extraAttempts) {
    const double found = line.exchanges(broadcast.units, kFoundChars);
    const double ask = kSilentSeconds + line.chars(kSilentPollChars) + kPauseSeconds;
    const double silent = broadcast.silentLas * ask;
    if (extraAttempts <= 0 || broadcast.silentLas == 0)
        return {found + 2 * silent, found + 2 * silent};
    const double measuring = line.exchanges(kMeasuringPolls, kMeasuringPollChars);
    return {found + measuring + 2 * silent, found + measuring + (2 + extraAttempts) * silent};
}

struct Pages {
    int count = 0;
    int chars = 0;
};

// What the pages of the planned files are counted with: each file read once.
struct PageCount {
    ControllerModel model;
    const FirmwareTrust& trust;
    FirmwareImage& image;
    std::map<std::string, Pages> known;
};

Pages pagesOf(const SiteUnit& unit, PageCount& count) {
    if (unit.kind == SiteUnitKind::Remote) return {remote::BlockCount + 1, 0};
    if (!unit.file) return {};
    const auto found = count.known.find(*unit.file);
    if (found != count.known.end()) return found->second;
    SurveyedUnit surveyed;
    surveyed.unit = unit;
    SilentConsole quiet;
    const bool read = LoadApplicationFile(
        count.image, quiet, static_cast<std::uint8_t>(unit.productId),
        unitTypeOf(surveyed, count.model), UpgradeType::SingleUnit, count.trust);
    Pages pages;
    if (read) {
        pages.count = CountPages(count.image);
        count.image.cursor = 0;
        while (count.image.cursor <= count.image.highestWritten)
            pages.chars += static_cast<int>(FormatWriteData(count.image).size());
    }
    count.known.emplace(*unit.file, pages);
    return pages;
}

// The units of one all-at-once step that take one file share its pages.
std::string groupOf(const SiteUnit& unit) {
    if (unit.broadcastStep.empty()) return "";
    return unit.broadcastStep + " " + unit.file.value_or("");
}

std::string plural(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

int minutesOf(int seconds) {
    return (seconds + 59) / 60;
}

std::string minutesText(int minutes) {
    if (minutes < 90) return std::to_string(minutes) + " min";
    return std::to_string(minutes / 60) + " h " + std::to_string(minutes % 60) + " min";
}

// "about 6 min", or "about 6 to 9 min" (a range when the longest differs in the minutes shown).
std::string durationText(int seconds, int upToSeconds) {
    const int longest = std::max(seconds, upToSeconds);
    if (longest < 60) return "under a minute";
    const int most = minutesOf(longest);
    if (seconds < 60) return "under a minute to " + minutesText(most);
    const int least = minutesOf(seconds);
    if (least == most) return "about " + minutesText(least);
    if (most < 90) return "about " + std::to_string(least) + " to " + minutesText(most);
    return "about " + minutesText(least) + " to " + minutesText(most);
}

} // namespace

std::vector<PlannedWrite> plannedWrites(const SiteBus& bus, ControllerModel model,
                                        const FirmwareTrust& trust) {
    std::vector<PlannedWrite> writes;
    auto image = std::make_unique<FirmwareImage>();
    PageCount count{model, trust, *image, {}};
    const int controllers = static_cast<int>(std::ranges::count_if(
        bus.units, [](const SiteUnit& unit) { return unit.kind == SiteUnitKind::Controller; }));
    const int silentLas = std::max(0, int(la::LastListed) - controllers);
    for (const SiteUnit& unit : bus.units) {
        if (unit.action != SiteAction::Upgrade) continue;
        const Pages pages = pagesOf(unit, count);
        writes.push_back({unit.kind, pages.count, groupOf(unit), pages.chars,
                          unit.kind == SiteUnitKind::Controller ? silentLas : 0});
    }
    return writes;
}

SiteEstimate estimateWrites(const std::vector<PlannedWrite>& writes, std::uint32_t bitsPerSecond,
                            int extraAttempts) {
    const Line line{kBitsPerChar / std::max<std::uint32_t>(bitsPerSecond, 1)};
    SiteEstimate estimate;
    double seconds = 0;
    double upTo = 0;
    std::map<std::string, Broadcast> broadcasts;
    for (const PlannedWrite& write : writes) {
        ++estimate.units[static_cast<std::size_t>(write.kind)];
        if (write.group.empty()) {
            seconds += singleSeconds(write, line);
            continue;
        }
        Broadcast& broadcast = broadcasts[write.group];
        broadcast.kind = write.kind;
        ++broadcast.units;
        broadcast.pages = std::max(broadcast.pages, write.pages);
        broadcast.pageChars = std::max(broadcast.pageChars, pageTextChars(write));
        broadcast.silentLas = std::max(broadcast.silentLas, write.silentLas);
    }
    for (const auto& [group, broadcast] : broadcasts) {
        seconds += broadcastSeconds(broadcast, line);
        if (broadcast.kind != SiteUnitKind::Controller) continue;
        const auto [shortest, longest] = searchSeconds(broadcast, line, extraAttempts);
        seconds += shortest;
        upTo += longest - shortest;
    }
    estimate.seconds = static_cast<int>(seconds + 0.5);
    estimate.upToSeconds = static_cast<int>(seconds + upTo + 0.5);
    return estimate;
}

int secondsToFinish(SiteUnitKind kind, int pagesLeft, std::uint32_t bitsPerSecond) {
    const Line line{kBitsPerChar / std::max<std::uint32_t>(bitsPerSecond, 1)};
    const int pages = std::max(pagesLeft, 0);
    const double seconds =
        kind == SiteUnitKind::Remote
            ? line.exchanges(pages * kRemoteBlockRequests,
                             double(kRemoteBlockChars) / kRemoteBlockRequests)
            : line.exchanges(pages, kFrameChars + kCommandChars + kPageReplyChars) +
                  line.chars(double(pages) * kLargestPageChars);
    return static_cast<int>(seconds + 0.5) + kFinishSeconds;
}

SiteEstimate combineEstimates(const std::vector<SiteEstimate>& buses) {
    SiteEstimate all;
    for (const SiteEstimate& bus : buses) {
        for (std::size_t kind = 0; kind < all.units.size(); ++kind)
            all.units[kind] += bus.units[kind];
        all.seconds = std::max(all.seconds, bus.seconds);
        all.upToSeconds = std::max(all.upToSeconds, bus.upToSeconds);
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
           ".\nEstimated time: " + durationText(estimate.seconds, estimate.upToSeconds) + " at " +
           std::to_string(bitsPerSecond) + " baud.\nStart the upgrade?";
}
