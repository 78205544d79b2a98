#include "upgrade/discovery.h"

#include "upgrade/globalShared.h"
#include "upgrade/unitHistory.h"

#include "link/addressSearch.h"
#include "link/catalogue.h"
#include "link/replyReader.h"
#include "product/productFiles.h"
#include "product/products.h"

namespace {

constexpr char kListHeading[] = " LA    Unit Type";
constexpr char kNoResponse[] = "No response!";
constexpr char kNoUnitsFound[] = "No Units found!";
constexpr int kScanBarMax = 64;
constexpr int kRunBarMax = 100;

class Discovery {
public:
    explicit Discovery(UpgradeRun& run) : run_(run) {}

    Outcome go() {
        run_.units.clear();
        console().progress(0, 0, kScanBarMax);
        run_.ctx.control.setDiscovering(true);
        const std::string probe = addr::controller(std::string_view(run_.settings.controllerLA));
        if (reply::isStatusReply(ask(probe, cmd::StatusPoll, tr::DiscoveryProbe)))
            byList(probe);
        else
            byScan();
        run_.ctx.control.setDiscovering(false);
        console().status("");
        console().progress(0, 0, kRunBarMax);
        // The units found before the line failed cannot be reached, and none is put into
        // upgrade mode after a Stop.
        if (run_.ctx.ended()) return run_.ctx.endOfRun();
        return listed_ > 0 ? Outcome::completed() : Outcome::failed(kNoUnitsFound);
    }

private:
    Console& console() { return run_.ctx.console; }

    std::string ask(const std::string& address, const std::string& command, TimeoutRetries use) {
        return run_.ctx.link.TxMessage(address, command, use).text;
    }

    // The controller names the units it knows; each is then asked for its version.
    void byList(const std::string& probe) {
        const std::string list = ask(probe, cmd::UnitList, tr::DiscoveryList);
        if (list.size() <= reply::StatusLength) return;
        const std::size_t announced = reply::listCount(list);
        const std::size_t present = recordsPresent(list);
        for (std::size_t entry = 1; entry <= std::min(announced, present); ++entry) {
            if (run_.ctx.ended()) return;
            takeListed(reply::listEntry(list, entry));
        }
        // A count beyond the records sent would read the CRC and nothing as units.
        if (announced > present)
            console().status("Unit list holds " + std::to_string(present) + " of " +
                             std::to_string(announced) + " units!");
    }

    static std::size_t recordsPresent(const std::string& list) {
        const std::size_t dataEnd = list.size() - reply::CrcWidth; // 1-based, last data character
        const std::size_t first = reply::unitList::FirstEntry;
        if (dataEnd + 1 < first) return 0;
        return (dataEnd + 1 - first) / reply::unitList::EntryWidth;
    }

    void takeListed(const reply::ListEntry& entry) {
        const std::string la = hexText::la(entry.la);
        FoundUnit* unit = run_.units.at(entry.la);
        if (unit == nullptr) {
            // The table holds LAs 1 to 64 only; nothing is written outside it.
            console().status("[" + la + "] - LA out of range!");
            return;
        }
        if (unit->productId != 0) {
            console().status("[" + la + "] - Duplicate LA!");
            return;
        }
        unit->productId = entry.productId;
        const std::string info =
            ask(addr::terminal(std::string_view(run_.settings.controllerLA), entry.la),
                cmd::UnitInfo, tr::DiscoveryInfo);
        if (reply::hasUnitInfo(info, reply::UnitInfoFullThreshold)) {
            const reply::UnitInfo facts = reply::readUnitInfo(info);
            unit->version = versionOf(facts);
            identified(entry.la, facts);
        }
        list(entry.la, *unit);
    }

    // Every LA in turn, until the operator skips the rest or stops the run; with extra attempts
    // set, the LAs that stayed silent are asked again after the pass.
    void byScan() {
        AddressSearch search(run_.ctx.link, cmd::StatusPoll, tr::DiscoveryScanPoll);
        const AddressSearch::Heard found = [this, &search](int la, const std::string& address,
                                                           const Reply&) {
            identify(search, static_cast<std::uint8_t>(la), address);
        };
        for (int la = FoundUnits::kFirstLA; la <= FoundUnits::kLastLA; ++la) {
            if (scanEnds()) return;
            console().searching(la, FoundUnits::kLastLA);
            search.ask(la, scanAddress(static_cast<std::uint8_t>(la)), found);
            console().progress(la, 0, kScanBarMax);
        }
        search.repeatSilent(
            [this](int la) {
                if (scanEnds()) return true;
                console().searching(la, FoundUnits::kLastLA);
                return false;
            },
            found);
    }

    bool scanEnds() { return run_.ctx.control.skipRequested() || run_.ctx.ended(); }

    std::string scanAddress(std::uint8_t la) const {
        const UnitType type = run_.settings.unitType;
        if (type == UnitType::ControllerAB || type == UnitType::ControllerCD)
            return addr::controller(la);
        return addr::terminal(std::string_view(run_.settings.controllerLA), la);
    }

    // A unit answered the scan's poll at la: what it is.
    void identify(AddressSearch& search, std::uint8_t la, const std::string& address) {
        const std::string info = search.askAnswered(address, cmd::UnitInfo, tr::DiscoveryInfo).text;
        FoundUnit* unit = run_.units.at(la);
        if (!reply::hasUnitInfo(info, reply::UnitInfoFullThreshold)) {
            listUnanswered(la, *unit);
            return;
        }
        const reply::UnitInfo facts = reply::readUnitInfo(info);
        unit->productId = facts.productId;
        unit->version = versionOf(facts);
        identified(la, facts);
        list(la, *unit);
    }

    // The run's ledger knows the unit by its fixed address from here on.
    void identified(std::uint8_t la, const reply::UnitInfo& facts) {
        TellIdentified(run_.ctx, global::unitAddress(run_, la), facts.fixedAddress, facts.productId,
                       facts.inUpgradeMode() ? std::nullopt : std::optional(facts.version));
    }

    static std::uint16_t versionOf(const reply::UnitInfo& info) {
        return info.inUpgradeMode() ? kVersionInUpgradeMode : info.version;
    }

    // A unit that answered the poll but not the information query is there, but cannot be
    // upgraded by class. Passing over it in silence would let the run report success with the
    // unit left as it was: it stands in the table as failed, and the run fails.
    void listUnanswered(std::uint8_t la, FoundUnit& unit) {
        unit.state = UnitState::Failed;
        if (listed_++ == 0) console().status(kListHeading);
        console().status("[" + hexText::la(la) + "] - " + kNoResponse);
    }

    void list(std::uint8_t la, FoundUnit& unit) {
        unit.upgradeClass = GetUpgradeType(unit.productId, run_.settings.unitType);
        unit.state = UnitState::Pending;
        if (listed_++ == 0) console().status(kListHeading);
        console().status("[" + hexText::la(la) + "] - " + getProductName(unit.productId));
    }

    UpgradeRun& run_;
    int listed_ = 0;
};

} // namespace

Outcome FindUnits(UpgradeRun& run) {
    return Discovery(run).go();
}
