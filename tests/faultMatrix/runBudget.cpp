#include "runBudget.h"

#include "tools/groupIdentification.h"

#include <algorithm>

namespace faultmatrix {

namespace {

// The transaction's short pause before each request, and the millisecond by which a wait may
// end after its due time.
constexpr std::uint64_t kAttemptOverheadMs = 5;
// The longest answer to one request: a stale frame, the reply itself (units reply in under
// 100 characters) and up to 8 characters of noise in front.
constexpr std::size_t kLongestReplyChars = 2 * 100 + 2 + 8;
// Start bit, 8 data bits, parity and up to two stop bits.
constexpr std::uint64_t kBitsPerChar = 12;
// Units in front of which the scan asks: LA 1 to 64.
constexpr int kScannedLas = 64;

} // namespace

std::uint64_t LineBudget::wireMs(std::size_t chars) const {
    return (chars * kBitsPerChar * 1000 + baud - 1) / baud;
}

std::uint64_t LineBudget::send(std::size_t requestChars) const {
    return kAttemptOverheadMs + wireMs(requestChars);
}

std::uint64_t LineBudget::exchange(TimeoutRetries use, std::size_t requestChars) const {
    if (use.timeout == 0) return send(requestChars);
    const std::uint64_t wait = std::max(use.timeout, minimumTimeout);
    const std::uint64_t attempt =
        kAttemptOverheadMs + wireMs(requestChars + kLongestReplyChars) + replyDelayMs + wait;
    return (retriesWith(use, extraAttempts) + 1ull) * attempt;
}

std::uint64_t LineBudget::pollUntil(std::uint32_t limitMs, TimeoutRetries use) const {
    return limitMs + exchange(use);
}

std::uint64_t runFrameBound(const LineBudget& line) {
    return 2 * line.send();
}

std::uint64_t singleUpgradeBound(const LineBudget& line, std::size_t pages, std::size_t pageChars) {
    const std::uint64_t prepare = line.exchange(tr::SingleIdentify) +
                                  line.exchange(tr::SingleEnterUpgrade) +
                                  line.exchange(tr::SingleConfirmUpgrade);
    const std::uint64_t erase =
        line.exchange(tr::SingleEraseAll) + cmd::SectorCount * line.exchange(tr::SingleEraseSector);
    const std::uint64_t write = pages * line.exchange(tr::SingleWritePage, pageChars);
    const std::uint64_t restart =
        line.exchange(tr::SingleReset) + delay::SingleAfterReset +
        line.pollUntil(delay::SingleConfirmLimit, tr::SingleConfirmRunning) +
        line.exchange(tr::SingleReset) + delay::SingleAfterFinalReset + line.send();
    return runFrameBound(line) + prepare + erase + write + restart;
}

namespace {

std::uint64_t discoveryBound(const LineBudget& line, int units) {
    const std::uint64_t byList =
        line.exchange(tr::DiscoveryList) + units * line.exchange(tr::DiscoveryInfo);
    const std::uint64_t byScan =
        kScannedLas * (line.exchange(tr::DiscoveryScanPoll) + line.exchange(tr::DiscoveryInfo));
    return line.exchange(tr::DiscoveryProbe) + std::max(byList, byScan);
}

std::uint64_t globalPassBound(const LineBudget& line, int units, std::size_t pages,
                              std::size_t pageChars) {
    const std::uint64_t enter =
        units * (line.exchange(tr::GlobalEnterUpgrade) + line.exchange(tr::GlobalConfirmUpgrade));
    const std::uint64_t erase =
        line.send() + delay::GlobalAfterEraseBroadcast +
        units * (line.exchange(tr::GlobalEraseResult) + line.exchange(tr::GlobalEraseUnit));
    const std::uint64_t perUnitPage = line.exchange(tr::GlobalWriteResult) +
                                      delay::GlobalBeforeWriteResultAgain +
                                      line.exchange(tr::GlobalWriteResultAgain) +
                                      line.exchange(tr::GlobalWritePageUnit, pageChars);
    const std::uint64_t write = pages * (line.send(pageChars) + units * perUnitPage);
    const std::uint64_t reset =
        line.send() + delay::GlobalAfterResetBroadcast +
        units * line.pollUntil(delay::GlobalConfirmLimit, tr::GlobalConfirmRunning);
    return enter + erase + write + reset;
}

} // namespace

std::uint64_t globalAllBound(const LineBudget& line, int units, int classes, std::size_t pages,
                             std::size_t pageChars) {
    constexpr int kPassesPerClass = 2;
    const std::uint64_t upgrade =
        line.send() + classes * kPassesPerClass * globalPassBound(line, units, pages, pageChars) +
        delay::GlobalBeforeClosing + 2 * line.send();
    return runFrameBound(line) + discoveryBound(line, units) + upgrade;
}

std::uint64_t remoteUpgradeBound(const LineBudget& line) {
    const std::uint64_t request = line.exchange(tr::RemoteRequest);
    const std::uint64_t extra = static_cast<std::uint64_t>(line.extraAttempts);
    constexpr std::uint64_t kRequestsPerBlock = 4; // address, erase, two writes
    // A block may go unanswered extra times per request; each such miss costs the request
    // and the ones before it sent again from the set-address.
    const std::uint64_t blockSends = kRequestsPerBlock + kRequestsPerBlock * extra * 4;
    const std::uint64_t blocks = (remote::BlockCount + 1) * blockSends * request;
    const std::uint64_t enter = (1 + extra) * request + line.send() + delay::RemoteAfterPrepare +
                                remote::EntrySends * request;
    const std::uint64_t leave = line.send() + delay::RemoteAfterLeave +
                                (remote::VersionSends + extra) * request +
                                line.exchange(tr::RemoteClose);
    return runFrameBound(line) + line.exchange(tr::SingleIdentify) + enter + blocks + leave;
}

namespace {

// Every pass of one group's identification: the request, the pause, the polls (five after the
// last of at most one reply per unit) and an acknowledgement per unit.
std::uint64_t identificationBound(const LineBudget& line, int units) {
    const TimeoutRetries poll{delay::SurveyIdentifyPoll, 0};
    const std::uint64_t pass = line.send() + delay::SurveyIdentifyCollect +
                               kMissesToEndPass * (units + 1ull) * line.exchange(poll) +
                               units * line.exchange(tr::SurveyAcknowledge);
    return 2 * line.send() + kIdentifyPassLimit * pass;
}

} // namespace

std::uint64_t surveyBound(const LineBudget& line, int controllers, int terminals) {
    constexpr int kHostPositions = 3;
    const std::uint64_t host = kHostPositions * line.exchange(tr::SurveyHostInfo);
    const std::uint64_t controllersPart =
        identificationBound(line, controllers) + controllers * line.exchange(tr::SurveyUnitInfo);
    // Asked only when neither a host nor a controller answered; none stands on this bus.
    const std::uint64_t busTerminals = identificationBound(line, 0);
    const std::uint64_t lists = controllers * line.exchange(tr::SurveyTerminalList) +
                                terminals * line.exchange(tr::SurveyUnitInfo);
    return host + controllersPart + busTerminals + lists;
}

} // namespace faultmatrix
