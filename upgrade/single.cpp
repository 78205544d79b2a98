#include "upgrade/single.h"

#include "image/fileSelection.h"
#include "image/pageFormat.h"
#include "link/catalogue.h"
#include "link/replyReader.h"
#include "product/productFiles.h"
#include "product/upgradeCases.h"
#include "upgrade/pageBar.h"
#include "upgrade/remote.h"
#include "upgrade/upgradeRule.h"

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

enum class Outcome { Continue, Succeeded, Failed };

// One pass over one unit; each step returns whether the pass goes on.
class SinglePass {
public:
    SinglePass(UpgradeRun& run, const std::string& address) : run_(run), address_(address) {}

    bool go() {
        if (!identify()) return false;
        if (const Outcome remote = remoteChoice(); remote != Outcome::Continue)
            return remote == Outcome::Succeeded;
        chooseTerminalFile();
        if (!loadFile()) return false;
        if (!upgradeNeeded()) return true;
        if (!facts_.inUpgradeMode && !enterUpgradeMode()) return false;
        if (stopped() || !confirmUpgradeMode()) return false;
        if (stopped() || !erase()) return false;
        if (stopped() || !write()) return false;
        if (stopped()) return false; // a stop during the page loop leaves the unit unreset
        reset();
        if (settings().upgradeType == UpgradeType::Advanced) return true;
        return confirmRunning();
    }

private:
    const UpgradeSettings& settings() const { return run_.settings; }
    void say(const std::string& line) { run_.ctx.console.status(line); }
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
            say("No unit detected!");
            return false;
        }
        const reply::UnitInfo info = reply::readUnitInfo(reply);
        facts_.inUpgradeMode = info.inUpgradeMode();
        facts_.productId = info.productId;
        facts_.version = info.version;
        facts_.remoteVersion = info.secondVersion;
        facts_.upgradeClass = GetUpgradeType(info.productId, settings().unitType);
        facts_.special = singleUnitCase(facts_.upgradeClass);
        return true;
    }

    // Under the unit type "Remote": a remote behind a terminal goes through it, a unit that is
    // no remote is left alone unless the operator chose "Advanced".
    Outcome remoteChoice() {
        if (settings().unitType != UnitType::Remote) return Outcome::Continue;
        if (facts_.special.route == RemoteRoute::ThroughTerminal) {
            if (!remoteUpgradable(facts_.remoteVersion)) {
                say("Unable to Upgrade Remote - old version < V2.00 !");
                return Outcome::Succeeded;
            }
            return GoUpgradeRemote(run_, address_, facts_.productId) ? Outcome::Succeeded
                                                                     : Outcome::Failed;
        }
        if (settings().upgradeType == UpgradeType::Advanced ||
            facts_.special.route == RemoteRoute::OwnPass)
            return Outcome::Continue;
        say("Not a Remote!");
        return Outcome::Succeeded;
    }

    void chooseTerminalFile() {
        if (settings().unitType != UnitType::Terminal) return;
        if (facts_.special.terminalFileProduct != 0)
            facts_.productId = facts_.special.terminalFileProduct;
    }

    bool loadFile() {
        if (LoadApplicationFile(run_.image, run_.ctx.console, facts_.productId, settings().unitType,
                                settings().upgradeType))
            return true;
        say("No Application File found!");
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
            say("Failed to enter Upgrade mode!");
            return false;
        }
        say("BB v" + versions->bootVersion + ":App v" + versions->appVersion);
        return true;
    }

    bool confirmUpgradeMode() {
        const std::string reply = ask(cmd::StatusPoll, tr::SingleConfirmUpgrade);
        if (!reply::isStatusReply(reply)) {
            say("No Controller/Terminal detected!");
            return false;
        }
        if (!reply::inUpgradeMode(reply::statusByte(reply))) {
            say("Failed to enter Upgrade mode!");
            return false;
        }
        say("In Upgrade mode");
        return true;
    }

    bool erase() {
        say("Erase Flash...");
        const auto whole = reply::readEraseWrite(ask(cmd::EraseAll, tr::SingleEraseAll));
        if (!whole) return eraseSectorBySector();
        if (whole->failed()) {
            say("Erase Error " + hexText::byte(whole->errorCode));
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
                say("No response!");
                return false;
            }
            if (result->failed()) {
                say("Erase Error " + hexText::byte(result->errorCode));
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
        PageBar bar(run_.ctx.console, CountPages(image));
        do {
            const std::string page = FormatWriteData(image);
            if (page.empty()) continue;
            if (!writePage(page)) return false;
            bar.pageWritten();
            if (stopped()) break;
        } while (image.cursor <= image.highestWritten);
        return true;
    }

    bool writePage(const std::string& page) {
        const auto result = reply::readEraseWrite(ask(cmd::writePage(page), tr::SingleWritePage));
        if (!result) {
            say("No response!");
            return false;
        }
        if (result->failed()) {
            say("Write Error " + hexText::byte(result->errorCode));
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
        say("Upgrade Failed!");
        return false;
    }

    void finish() {
        say("Upgrade OK.");
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
};

} // namespace

bool GoUpgradeSingle(UpgradeRun& run, const std::string& address) {
    return SinglePass(run, address).go();
}
