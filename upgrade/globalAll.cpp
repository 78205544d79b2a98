// All units of one upgrade class at once: each unit is put into upgrade mode on its own, the
// flash of all of them is erased and written by broadcast, and each unit's result is polled
// after every broadcast and repaired by sending the same command to that unit alone. Every
// page travels once per class and pass, whatever the number of units.

#include "upgrade/global.h"
#include <algorithm>

#include "image/fileSelection.h"
#include "image/pageFormat.h"
#include "link/replyReader.h"
#include "product/upgradeCases.h"
#include "upgrade/globalShared.h"
#include "upgrade/pageBar.h"
#include "upgrade/unitHistory.h"
#include "upgrade/upgradeRule.h"

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <set>

namespace {

constexpr char kEntering[] = " Entering Upgrade mode...";
constexpr char kNotNecessary[] = " Upgrade not necessary.";
constexpr char kNoResponseE0[] = "No response [E0]!";
constexpr char kInUpgradeMode[] = " in Upgrade mode";
constexpr char kFailedToEnter[] = " Failed to enter Upgrade mode!";
constexpr char kDetected[] = " detected!";
constexpr char kEraseFlash[] = "Erase Flash...";
constexpr char kNoResponse[] = "No response!";
constexpr char kUnitNoResponse[] = " No response!";
constexpr char kEraseError[] = " Erase Error ";
constexpr char kWriteFlash[] = "Write Flash...";
constexpr char kWriteError[] = " Write Error ";
constexpr char kResetting[] = "Resetting unit...";
constexpr char kUpgradeOk[] = " upgrade OK.";
constexpr char kUpgradeFailed[] = " upgrade Failed!";
// A unit's reason when it never answered from its application after the reset.
constexpr char kNotRunning[] = "not running after its reset";
constexpr char kUserAborted[] = "<<User Aborted Upgrade>>";

// Only so much of a reply is looked at; its length is judged after the cut.
constexpr std::size_t kReplyKept = 50;
constexpr int kPasses = 2;

class GlobalAllUpgrade {
public:
    explicit GlobalAllUpgrade(UpgradeRun& run) : run_(run) {}

    void run() {
        if (run_.scope.terminalScope)
            global::fireAndForget(run_, addr::controller(global::controllerLA(run_)),
                                  cmd::ControllerUpgradeStart);
        while (findClass()) {
            for (int pass = 0; pass < kPasses; ++pass)
                if (!runPass(pass == kPasses - 1)) break;
            // A Stop that let the units in hand finish starts no further class.
            if (ended() || finishing()) break;
        }
        global::report(run_);
        if (stopped()) console().status(kUserAborted);
        // The closing commands cannot leave over a failed line: nothing to wait for.
        if (!lineLost()) run_.ctx.link.pause(delay::GlobalBeforeClosing);
        const bool leftUnfinished = global::reportLeftInBootLoader(run_);
        if (run_.scope.terminalScope) {
            global::fireAndForget(run_, addr::controller(global::controllerLA(run_)),
                                  cmd::ControllerUpgradeEnd);
            // The reset starts the application of every unit of the controller, a half-written
            // one too: units whose flash was left unfinished, by a Stop, a lost line or a
            // failure, stay in their boot loader for the next run.
            if (!leftUnfinished)
                global::fireAndForget(run_, global::classBroadcast(run_), cmd::Reset);
        }
    }

private:
    // The class of the lowest pending unit whose application file loads; that image is the one
    // every unit of the class receives. A class whose file does not load stays pending.
    bool findClass() {
        console().status("");
        for (int la = FoundUnits::kFirstLA; la <= FoundUnits::kLastLA; ++la) {
            const FoundUnit& unit = *run_.units.at(la);
            if (unit.state != UnitState::Pending || unit.upgradeClass == 0) continue;
            if (refusedClasses_.contains(unit.upgradeClass)) continue;
            if (LoadApplicationFile(run_.image, console(), unit.productId, run_.settings.unitType,
                                    run_.settings.upgradeType, run_.ctx.trust)) {
                class_ = unit.upgradeClass;
                return true;
            }
            if (!run_.image.refusal.empty()) refuseClass(unit.upgradeClass);
        }
        return false;
    }

    // A class whose file the trust check refused: said once, and a "refused" record for each
    // of its units, none of which hears a thing.
    void refuseClass(std::uint8_t upgradeClass) {
        refusedClasses_.insert(upgradeClass);
        if (refusal_.empty()) refusal_ = run_.image.refusal;
        for (int la = FoundUnits::kFirstLA; la <= FoundUnits::kLastLA; ++la) {
            const FoundUnit& unit = *run_.units.at(la);
            if (unit.state != UnitState::Pending || unit.upgradeClass != upgradeClass) continue;
            const std::string address = global::unitAddress(run_, la);
            run_.ctx.units.file(address, UnitFileOf(run_.image));
            run_.ctx.units.refused(address, run_.image.refusal);
        }
    }

public:
    // The first refusal of the run's files; empty when none was refused.
    const std::string& refusal() const { return refusal_; }

private:
    // One pass over the class; false when it ended before its end (stop, or nobody entered).
    bool runPass(bool lastPass) {
        if (!enterUpgradeMode() || ended()) return false;
        confirmUpgradeMode();
        if (ended()) return false;
        erase();
        if (ended()) return false;
        if (!write()) return false;
        resetAndConfirm(lastPass);
        return !ended();
    }

    bool enterUpgradeMode() {
        bool entered = false;
        forEachUnit([&](int, FoundUnit& unit, const std::string& address) {
            // After a Stop, of either level, no further unit is put into upgrade mode.
            if (finishing()) return;
            if (!needsUpgrade(unit)) {
                unit.state = UnitState::Done;
                console().status(global::unitLine(address, kNotNecessary));
                return;
            }
            if (!asking(unit, address)) return;
            console().status(global::unitLine(address, kEntering));
            std::optional<reply::UpgradeModeVersions> versions = reply::readUpgradeMode(
                exchange(address, cmd::EnterUpgrade, tr::GlobalEnterUpgrade));
            if (!versions) {
                console().status(kNoResponseE0);
                fail(unit, address, kNoResponseE0);
                return;
            }
            console().status("BB v" + versions->bootVersion + ":App v" + versions->appVersion);
            run_.ctx.units.inBootLoader(address);
            entered = true;
        });
        return entered;
    }

    bool needsUpgrade(const FoundUnit& unit) const {
        if (isPassedOverByBroadcast(unit.productId)) return false;
        return ::needsUpgrade({unit.version, false}, run_.image.fileVersion,
                              run_.settings.forceUpgrade);
    }

    void confirmUpgradeMode() {
        forEachUnit([&](int, FoundUnit& unit, const std::string& address) {
            std::string status = exchange(address, cmd::StatusPoll, tr::GlobalConfirmUpgrade);
            if (!reply::isStatusReply(status)) {
                console().status(global::unitLine(address, kDetected));
            } else if (reply::inUpgradeMode(reply::statusByte(status))) {
                run_.ctx.units.inBootLoader(address);
                console().status("Units " + address + kInUpgradeMode);
            } else {
                run_.ctx.units.outsideBootLoader(address);
                console().status(global::unitLine(address, kFailedToEnter));
                fail(unit, address, kFailedToEnter);
            }
        });
    }

    void erase() {
        console().status(kEraseFlash);
        forEachUnit(
            [&](int, FoundUnit&, const std::string& address) { run_.ctx.units.erased(address); });
        global::fireAndForget(run_, global::classBroadcast(run_), cmd::EraseAll);
        run_.ctx.link.pause(delay::GlobalAfterEraseBroadcast);
        forEachUnit([&](int, FoundUnit& unit, const std::string& address) {
            std::optional<reply::FlashResult> result =
                reply::readFlashStatus(exchange(address, cmd::FlashStatus, tr::GlobalEraseResult));
            if (!result) {
                console().status(kNoResponse);
                fail(unit, address, kNoResponse);
                return;
            }
            if (!result->failed()) return;
            // The unit missed or failed the broadcast: it erases on its own.
            std::optional<reply::FlashResult> again =
                reply::readEraseWrite(exchange(address, cmd::EraseAll, tr::GlobalEraseUnit));
            if (again && !again->failed()) return;
            const std::uint8_t code = again ? again->errorCode : result->errorCode;
            console().status(global::unitLine(address, kEraseError) + hexText::byte(code));
            fail(unit, address, std::string(kEraseError) + hexText::byte(code));
        });
    }

    // Every page once to the class; false when the operator stopped or the line failed.
    bool write() {
        console().status(kWriteFlash);
        FirmwareImage& image = run_.image;
        image.cursor = 0;
        const int pages = CountPages(image);
        PageBar bar(console(), pages, writtenUnits());
        int written = 0;
        while (image.cursor <= image.highestWritten) {
            const std::string page = FormatWriteData(image);
            if (page.empty()) continue;
            const std::string command = cmd::writePage(page);
            global::fireAndForget(run_, global::classBroadcast(run_), command.c_str());
            ++written;
            forEachUnit([&](int, FoundUnit& unit, const std::string& address) {
                checkPage(unit, address, command);
                if (unit.state == UnitState::Pending) run_.ctx.units.page(address, written, pages);
            });
            bar.pageWritten(writtenUnits());
            if (ended()) return false;
        }
        return true;
    }

    // The units the class's pages still go to: a unit that failed a page gets no more.
    std::vector<std::string> writtenUnits() {
        std::vector<std::string> units;
        forEachUnit([&](int, FoundUnit&, const std::string& address) { units.push_back(address); });
        return units;
    }

    void checkPage(FoundUnit& unit, const std::string& address, const std::string& command) {
        const unsigned sendsBefore = sends();
        std::string status = exchange(address, cmd::FlashStatus, tr::GlobalWriteResult);
        // A unit that did not answer at once may have been deaf when the page went out (its
        // power dipped, it restarted): its boot loader then reports the last flash operation it
        // did, an earlier page, as a success. It gets this page on its own, as after an error.
        const bool answeredAtOnce =
            status.size() == reply::FlashStatusLength && sends() - sendsBefore == 1;
        if (status.size() != reply::FlashStatusLength && !lineLost()) {
            run_.ctx.link.pause(delay::GlobalBeforeWriteResultAgain);
            status = exchange(address, cmd::FlashStatus, tr::GlobalWriteResultAgain);
        }
        std::optional<reply::FlashResult> result = reply::readFlashStatus(status);
        if (!result) {
            console().status(global::unitLine(address, kUnitNoResponse));
            fail(unit, address, kUnitNoResponse);
            return;
        }
        if (!result->failed() && answeredAtOnce) return;
        // The unit missed or failed the broadcast page: it gets the page on its own.
        std::optional<reply::FlashResult> again =
            reply::readEraseWrite(exchange(address, command, tr::GlobalWritePageUnit));
        if (!again) {
            // The page may be missing: a unit left pending here would be confirmed running
            // with a hole in its flash.
            console().status(global::unitLine(address, kUnitNoResponse));
            fail(unit, address, kUnitNoResponse);
        } else if (again->failed()) {
            console().status(global::unitLine(address, kWriteError) +
                             hexText::byte(again->errorCode));
            fail(unit, address, std::string(kWriteError) + hexText::byte(again->errorCode));
        }
    }

    // Units failed in a pass that reached the reset are tried again in the next pass; after
    // the last pass their failure stands, so that a unit that keeps failing cannot hold the
    // run in an endless round of the same class.
    void resetAndConfirm(bool lastPass) {
        console().status(kResetting);
        global::fireAndForget(run_, global::classBroadcast(run_), cmd::Reset);
        // Every unit still pending took every page: its image is whole, whatever it does next.
        forEachUnit(
            [&](int, FoundUnit&, const std::string& address) { run_.ctx.units.reset(address); });
        run_.ctx.link.pause(delay::GlobalAfterResetBroadcast);
        if (ended()) return;
        for (int la = FoundUnits::kFirstLA; la <= FoundUnits::kLastLA && !lineLost(); ++la) {
            FoundUnit& unit = *run_.units.at(la);
            if (unit.upgradeClass != class_) continue;
            const std::string address = global::unitAddress(run_, la);
            if (unit.state == UnitState::Pending) confirmRunning(unit, address);
            if (unit.state == UnitState::Failed) {
                console().status(global::unitLine(address, kUpgradeFailed));
                // After a Stop that lets the units in hand finish, no pass follows.
                if (!lastPass && !finishing()) unit.state = UnitState::Pending;
            }
        }
    }

    // Done once the unit answers from its application; failed when no such answer comes in
    // time, whatever it said before.
    void confirmRunning(FoundUnit& unit, const std::string& address) {
        const std::uint64_t noted = run_.ctx.clock.nowMs();
        do {
            std::string status = exchange(address, cmd::StatusPoll, tr::GlobalConfirmRunning);
            if (reply::isStatusReply(status) && !reply::inUpgradeMode(reply::statusByte(status))) {
                console().status(global::unitLine(address, kUpgradeOk));
                run_.ctx.units.confirmed(address);
                PageBar::unitConfirmed(console(), address);
                unit.state = UnitState::Done;
                return;
            }
        } while (!lineLost() && run_.ctx.clock.nowMs() - noted <= delay::GlobalConfirmLimit);
        fail(unit, address, kNotRunning);
    }

    // The reason in the words of the unit's status line, without the address it follows.
    void fail(FoundUnit& unit, const std::string& address, const std::string& reason) {
        unit.state = UnitState::Failed;
        unit.reason = reason.substr(std::min(reason.find_first_not_of(' '), reason.size()));
        run_.ctx.units.failed(address, unit.reason);
    }

    // Calls f for every pending unit of the current class, in LA order; none after the line
    // failed, whose units would each report the same failure.
    void forEachUnit(const std::function<void(int, FoundUnit&, const std::string&)>& f) {
        for (int la = FoundUnits::kFirstLA; la <= FoundUnits::kLastLA && !lineLost(); ++la) {
            FoundUnit& unit = *run_.units.at(la);
            if (unit.state == UnitState::Pending && unit.upgradeClass == class_)
                f(la, unit, global::unitAddress(run_, la));
        }
    }

    std::string exchange(const std::string& address, const std::string& command,
                         TimeoutRetries use) {
        std::string text = run_.ctx.link.TxMessage(address, command, use).text;
        if (text.size() > kReplyKept) text.resize(kReplyKept);
        return text;
    }

    unsigned sends() const { return run_.ctx.link.counts().awaited(); }

    Console& console() { return run_.ctx.console; }
    bool stopped() const { return run_.ctx.control.stopRequested(); }
    bool finishing() const { return run_.ctx.control.finishRequested(); }
    bool lineLost() const { return run_.ctx.link.lineLost(); }
    bool ended() const { return run_.ctx.ended(); }

    // The unit is about to be asked into upgrade mode, with this class's file: from now on it
    // is in hand. A Stop before it ends the pass with nothing sent to it; a history that
    // cannot be written refuses it.
    bool asking(FoundUnit& unit, const std::string& address) {
        run_.ctx.units.file(address, UnitFileOf(run_.image));
        const std::string problem = run_.ctx.units.asking(address);
        if (!problem.empty()) {
            const std::string line = "History cannot be written: " + problem + "; nothing sent";
            console().refusal(line);
            unit.state = UnitState::Failed;
            unit.reason = line;
            run_.ctx.units.refused(address, line);
            return false;
        }
        if (!finishing()) return true;
        run_.ctx.units.notAsked(address, run_.ctx.endOfRun().reason);
        return false;
    }

    UpgradeRun& run_;
    std::uint8_t class_ = 0;
    std::set<std::uint8_t> refusedClasses_;
    std::string refusal_;
};

} // namespace

Outcome GoUpgradeGlobalAll(UpgradeRun& run) {
    UnitHistoryScope history(run.ctx);
    GlobalAllUpgrade upgrade(run);
    upgrade.run();
    Outcome outcome = global::outcomeOf(run);
    history.end(outcome);
    // A class whose file was refused was not upgraded: the run did not do what it was asked.
    if (outcome.succeeded() && !upgrade.refusal().empty())
        return Outcome::refused(upgrade.refusal());
    return outcome;
}
