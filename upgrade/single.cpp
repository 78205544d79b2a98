#include "upgrade/single.h"

#include "image/fileSelection.h"
#include "image/pageFormat.h"
#include "link/catalogue.h"
#include "link/replyReader.h"
#include "product/productFiles.h"
#include "product/upgradeCases.h"
#include "upgrade/pageBar.h"
#include "upgrade/remote.h"
#include "upgrade/unitHistory.h"
#include "upgrade/upgradeRule.h"

#include <optional>

namespace {

// A reply is judged by its first characters only; anything longer is cut here.
constexpr std::size_t kKeptReplyLength = 100;

struct UnitFacts {
    bool inUpgradeMode = false;
    std::uint8_t productId = 0;
    std::uint16_t version = 0;
    std::uint16_t remoteVersion = 0;
    std::uint8_t upgradeClass = 0;
    SingleUnitCase special;
};

constexpr char kNoUnitDetected[] = "No unit detected!";
constexpr char kRemoteTooOld[] = "Unable to Upgrade Remote - old version < V2.00 !";
constexpr char kNoFile[] = "No Application File found!";
constexpr char kUpgradeFailed[] = "Upgrade Failed!";

// One pass over one unit; each step returns whether the pass goes on.
class SinglePass {
public:
    SinglePass(UpgradeRun& run, const std::string& address) : run_(run), address_(address) {}

    // The pass, with its unit's history records around the write.
    Outcome go() {
        UnitHistoryScope history(run_.ctx);
        const Outcome outcome = pass();
        tellEnd(outcome);
        history.end(outcome);
        return outcome;
    }

private:
    UnitLedger& units() { return run_.ctx.units; }

    // What the pass came to for its unit; a run cut short leaves it where it stands.
    void tellEnd(const Outcome& outcome) {
        if (outcome.kind == OutcomeKind::Failed) units().failed(address_, outcome.reason);
        if (outcome.kind == OutcomeKind::Refused) units().refused(address_, outcome.reason);
    }

    Outcome pass() {
        if (!identify()) return fail(kNoUnitDetected);
        if (std::optional<Outcome> remote = remoteChoice()) return *remote;
        chooseTerminalFile();
        if (!loadFile()) return refuse(run_.image.refusal.empty() ? kNoFile : run_.image.refusal);
        units().file(address_, UnitFileOf(run_.image));
        if (!upgradeNeeded()) return Outcome::completed();
        if (std::optional<Outcome> refused = ask()) return *refused;
        if (!facts_.inUpgradeMode && !enterUpgradeMode()) return fail(failure_);
        if (stopped()) return run_.ctx.endOfRun();
        if (!confirmUpgradeMode()) return fail(failure_);
        if (stopped()) return run_.ctx.endOfRun();
        units().erased(address_);
        if (!erase()) return fail(failure_);
        if (stopped()) return run_.ctx.endOfRun();
        if (!write()) return fail(failure_);
        // A stop during the page loop leaves the unit unreset.
        if (stopped()) return run_.ctx.endOfRun();
        units().reset(address_);
        reset();
        if (settings().upgradeType == UpgradeType::Advanced) return Outcome::completed();
        return confirmRunning() ? Outcome::completed() : fail(kUpgradeFailed);
    }

    const UpgradeSettings& settings() const { return run_.settings; }
    void say(const std::string& line) { run_.ctx.console.status(line); }
    // A line that says why the unit failed: it is also the reason of the outcome.
    void sayFailure(const std::string& line) {
        say(line);
        failure_ = line;
    }
    // Whatever a step concluded from the replies it had, a line that is gone is what ended it.
    Outcome fail(const std::string& reason) const {
        if (run_.ctx.link.lineLost()) return Outcome::lineLost();
        return Outcome::failed(reason, address_);
    }
    Outcome refuse(const std::string& reason) const { return Outcome::refused(reason, address_); }
    bool stopped() const { return run_.ctx.ended(); }

    std::string ask(const std::string& command, TimeoutRetries use) {
        std::string reply = run_.ctx.link.TxMessage(address_, command, use).text;
        if (reply.size() > kKeptReplyLength) reply.resize(kKeptReplyLength);
        return reply;
    }

    bool identify() {
        say("Find unit [" + address_ + "]...");
        const std::string reply = ask(cmd::UnitInfo, tr::SingleIdentify);
        if (!reply::hasUnitInfo(reply, reply::UnitInfoFullThreshold)) {
            say(kNoUnitDetected);
            return false;
        }
        const reply::UnitInfo info = reply::readUnitInfo(reply);
        facts_.inUpgradeMode = info.inUpgradeMode();
        facts_.productId = info.productId;
        facts_.version = info.version;
        facts_.remoteVersion = info.secondVersion;
        facts_.upgradeClass = GetUpgradeType(info.productId, settings().unitType);
        facts_.special = singleUnitCase(facts_.upgradeClass);
        TellIdentified(run_.ctx, address_, info.fixedAddress, info.productId,
                       facts_.inUpgradeMode ? std::nullopt : std::optional(info.version));
        return true;
    }

    // The unit is about to be asked into upgrade mode: from now on it is in hand, and a first
    // Stop lets it finish. A Stop that came before ends the pass with nothing sent; a history
    // that cannot be written refuses it.
    std::optional<Outcome> ask() {
        const std::string problem = units().asking(address_);
        if (!problem.empty()) {
            const std::string line = "History cannot be written: " + problem + "; nothing sent";
            run_.ctx.console.refusal(line);
            return refuse(line);
        }
        if (!stopped()) return std::nullopt;
        if (!facts_.inUpgradeMode) units().notAsked(address_, run_.ctx.endOfRun().reason);
        return run_.ctx.endOfRun();
    }

    // Under the unit type "Remote": a remote behind a terminal goes through it, a unit that is
    // no remote is left alone unless the operator chose "Advanced".
    std::optional<Outcome> remoteChoice() {
        if (settings().unitType != UnitType::Remote) return std::nullopt;
        if (facts_.special.route == RemoteRoute::ThroughTerminal) {
            if (!remoteUpgradable(facts_.remoteVersion)) {
                say(kRemoteTooOld);
                return refuse(kRemoteTooOld);
            }
            return GoUpgradeRemote(run_, address_, facts_.productId);
        }
        if (settings().upgradeType == UpgradeType::Advanced ||
            facts_.special.route == RemoteRoute::OwnPass)
            return std::nullopt;
        say("Not a Remote!");
        return Outcome::completed();
    }

    void chooseTerminalFile() {
        if (settings().unitType != UnitType::Terminal) return;
        if (facts_.special.terminalFileProduct != 0)
            facts_.productId = facts_.special.terminalFileProduct;
    }

    bool loadFile() {
        if (LoadApplicationFile(run_.image, run_.ctx.console, facts_.productId, settings().unitType,
                                settings().upgradeType, run_.ctx.trust))
            return true;
        if (run_.image.refusal.empty())
            say(kNoFile);
        else
            units().file(address_, UnitFileOf(run_.image));
        return false;
    }

    bool upgradeNeeded() {
        if (needsUpgrade({facts_.version, facts_.inUpgradeMode}, run_.image.fileVersion,
                         settings().forceUpgrade))
            return true;
        say("Upgrade not necessary.");
        return false;
    }

    const char* entryCommand() const {
        const bool remote = settings().unitType == UnitType::Remote;
        const UpgradeEntry entry = facts_.special.entry;
        if (entry == UpgradeEntry::Extended ||
            (remote && (entry == UpgradeEntry::ExtendedAsRemote ||
                        settings().upgradeType == UpgradeType::Advanced)))
            return cmd::EnterUpgrade01;
        return cmd::EnterUpgrade;
    }

    bool enterUpgradeMode() {
        say("Unit " + address_ + " Entering Upgrade mode...");
        const auto versions = reply::readUpgradeMode(ask(entryCommand(), tr::SingleEnterUpgrade));
        if (!versions) {
            sayFailure("Failed to enter Upgrade mode!");
            return false;
        }
        say("BB v" + versions->bootVersion + ":App v" + versions->appVersion);
        units().inBootLoader(address_);
        return true;
    }

    bool confirmUpgradeMode() {
        const std::string reply = ask(cmd::StatusPoll, tr::SingleConfirmUpgrade);
        if (!reply::isStatusReply(reply)) {
            sayFailure("No Controller/Terminal detected!");
            return false;
        }
        if (!reply::inUpgradeMode(reply::statusByte(reply))) {
            units().outsideBootLoader(address_);
            sayFailure("Failed to enter Upgrade mode!");
            return false;
        }
        units().inBootLoader(address_);
        say("In Upgrade mode");
        return true;
    }

    bool erase() {
        say("Erase Flash...");
        const auto whole = reply::readEraseWrite(ask(cmd::EraseAll, tr::SingleEraseAll));
        if (!whole) return eraseSectorBySector();
        if (whole->failed()) {
            sayFailure("Erase Error " + hexText::byte(whole->errorCode));
            return false;
        }
        return true;
    }

    // Boot loaders that cannot erase all sectors in one go within the time-out.
    bool eraseSectorBySector() {
        for (int sector = 1; sector <= cmd::SectorCount; ++sector) {
            const auto result = reply::readEraseWrite(
                ask(cmd::erase(cmd::sectorMask(sector)), tr::SingleEraseSector));
            if (!result) {
                sayFailure("No response!");
                return false;
            }
            if (result->failed()) {
                sayFailure("Erase Error " + hexText::byte(result->errorCode));
                say("Sector [" + hexText::byte(static_cast<std::uint8_t>(sector)) + "/7] failed");
                return false;
            }
        }
        return true;
    }

    bool write() {
        say("Write Flash...");
        FirmwareImage& image = run_.image;
        image.cursor = 0;
        const int pages = CountPages(image);
        PageBar bar(run_.ctx.console, pages, {address_});
        int written = 0;
        do {
            const std::string page = FormatWriteData(image);
            if (page.empty()) continue;
            if (!writePage(page)) return false;
            units().page(address_, ++written, pages);
            bar.pageWritten();
            if (stopped()) break;
        } while (image.cursor <= image.highestWritten);
        return true;
    }

    bool writePage(const std::string& page) {
        const auto result = reply::readEraseWrite(ask(cmd::writePage(page), tr::SingleWritePage));
        if (!result) {
            sayFailure("No response!");
            return false;
        }
        if (result->failed()) {
            sayFailure("Write Error " + hexText::byte(result->errorCode));
            return false;
        }
        return true;
    }

    void reset() {
        say("Resetting unit...");
        if (!reply::isStatusReply(ask(cmd::Reset, tr::SingleReset))) say("No response!");
        // No unit restarts behind a failed line: nothing to wait for.
        if (!run_.ctx.link.lineLost()) run_.ctx.link.pause(delay::SingleAfterReset);
    }

    // The unit counts as running its new firmware once it answers outside upgrade mode. The
    // limit is tested after each exchange, so a long exchange may carry it past 20 s.
    bool confirmRunning() {
        Clock& clock = run_.ctx.clock;
        const std::uint64_t started = clock.nowMs();
        do {
            const std::string reply = ask(cmd::StatusPoll, tr::SingleConfirmRunning);
            if (reply::isStatusReply(reply) && !reply::inUpgradeMode(reply::statusByte(reply))) {
                finish();
                return true;
            }
        } while (!run_.ctx.link.lineLost() && clock.nowMs() - started <= delay::SingleConfirmLimit);
        say(kUpgradeFailed);
        return false;
    }

    void finish() {
        say("Upgrade OK.");
        units().confirmed(address_);
        PageBar::unitConfirmed(run_.ctx.console, address_);
        if (settings().upgradeType == UpgradeType::SingleUnit) {
            ask(cmd::Reset, tr::SingleReset);
            say("Reset unit.");
            if (!run_.ctx.link.lineLost()) run_.ctx.link.pause(delay::SingleAfterFinalReset);
        }
        // The controller in front of the unit hears that the upgrade is over.
        run_.ctx.link.TxMessage(
            addr::controller(std::string_view(settings().controllerLA).substr(0, 2)),
            cmd::ControllerUpgradeEnd, tr::FireAndForget);
    }

    UpgradeRun& run_;
    const std::string& address_;
    UnitFacts facts_;
    std::string failure_; // the last line that said why a step failed
};

} // namespace

Outcome GoUpgradeSingle(UpgradeRun& run, const std::string& address) {
    return SinglePass(run, address).go();
}
