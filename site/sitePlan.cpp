#include "site/sitePlan.h"

#include "link/catalogue.h"
#include "product/productFiles.h"
#include "product/products.h"
#include "tools/surveyLines.h"
#include "upgrade/upgradeRule.h"

#include <cstdio>

namespace {

// Where the host answered: the address the survey asked.
std::string hostAddress(HostKind kind) {
    switch (kind) {
    case HostKind::hkAdaptionSet:
        return "7E00";
    case HostKind::hkTagPilot:
        return "007E";
    default:
        return "7F00";
    }
}

SurveyedUnit fromRecord(const SurveyRecord& record, SiteUnitKind kind, std::string address) {
    SurveyedUnit surveyed;
    SiteUnit& unit = surveyed.unit;
    unit.address = std::move(address);
    unit.kind = kind;
    unit.fixedAddress = record.fixedAddressBits();
    unit.productId = record.productId;
    unit.product = getProductName(record.productId);
    surveyed.answered = !record.status.empty();
    unit.sharesAddress = record.duplicate;
    surveyed.upgradeMode = record.status == surveyStatus::UpgradeMode;
    unit.inUpgradeMode = surveyed.upgradeMode;
    surveyed.la = record.la;
    surveyed.version = kind == SiteUnitKind::Remote ? record.secondVersion : record.version;
    // A boot loader's version is not the application's: a unit in its boot loader has none.
    if (surveyed.answered && !surveyed.upgradeMode) unit.before = versionText(surveyed.version);
    return surveyed;
}

void addTerminals(std::vector<SurveyedUnit>& units, const SurveyTable& table, int row,
                  std::uint8_t controllerLa) {
    for (int column = 1; column <= SurveyTable::kGroupSize; ++column) {
        const SurveyRecord& record = table.at(row, column);
        if (!record.occupied()) continue;
        const SiteUnitKind kind =
            isRemoteProduct(record.productId) ? SiteUnitKind::Remote : SiteUnitKind::Terminal;
        SurveyedUnit unit =
            fromRecord(record, kind, hexText::byte(controllerLa) + hexText::byte(record.la));
        unit.controllerLa = controllerLa;
        if (kind == SiteUnitKind::Remote && unit.answered)
            unit.unit.terminalVersion = versionText(record.version);
        units.push_back(std::move(unit));
    }
}

// The file a unit would take, by name and content, and the trust check's refusal of it.
void noteFile(SiteUnit& unit, const ShelfFile& file) {
    unit.file = file.name;
    if (!file.sha256.empty()) unit.fileSha256 = file.sha256;
    if (!file.refusal.empty()) unit.fileRefusal = file.refusal;
}

void planRemote(SurveyedUnit& surveyed, const SiteOptions& options, FirmwareShelf& shelf) {
    SiteUnit& unit = surveyed.unit;
    const std::optional<ShelfFile> image = shelf.remoteImage(unit.productId);
    if (image) noteFile(unit, *image);
    if (!surveyed.answered)
        unit.action = SiteAction::NotReachable;
    else if (!options.remotes)
        unit.action = SiteAction::OnRequest;
    else
        unit.action = image && image->readable ? SiteAction::Upgrade : SiteAction::NoFile;
}

void planApplication(SurveyedUnit& surveyed, const SiteOptions& options, FirmwareShelf& shelf) {
    SiteUnit& unit = surveyed.unit;
    const std::optional<ShelfFile> file =
        shelf.application(unit.productId, unitTypeOf(surveyed, options.model));
    if (file) noteFile(unit, *file);
    if (file && file->version) unit.fileVersion = versionText(*file->version);
    if (!surveyed.answered) {
        unit.action = SiteAction::NotReachable;
    } else if (!file || !file->version) {
        unit.action = SiteAction::NoFile;
        // A file that is there and does not read is a different errand from one never copied.
        if (file && !file->unreadable.empty()) unit.reason = file->unreadable;
    } else {
        unit.action =
            behindFile(surveyed, *file->version) ? SiteAction::Upgrade : SiteAction::UpToDate;
    }
}

// Neither of two units at one address can be asked or written on its own: each is out of reach
// until one of them is given another LA.
void planSharedAddress(SurveyedUnit& surveyed) {
    SiteUnit& unit = surveyed.unit;
    unit.action = SiteAction::NotReachable;
    unit.result = SiteResult::NotReachable;
    unit.reason = sharedAddressReason(unit.address);
}

} // namespace

bool isRemoteProduct(int productId) {
    const std::uint8_t upgradeClass =
        GetUpgradeType(static_cast<std::uint8_t>(productId), UnitType::Terminal);
    return upgradeClass == 12 || upgradeClass == 15 || upgradeClass == 18;
}

std::vector<SurveyedUnit> surveyedUnits(const SurveyTable& table, const SurveyOutcome& outcome) {
    std::vector<SurveyedUnit> units;
    if (outcome.host.kind != HostKind::hkNone)
        units.push_back(
            fromRecord(table.at(0, 0), SiteUnitKind::Host, hostAddress(outcome.host.kind)));
    for (int row = 1; row <= SurveyTable::kGroupSize; ++row) {
        const SurveyRecord& controller = table.at(row, 0);
        if (!controller.occupied()) continue;
        units.push_back(
            fromRecord(controller, SiteUnitKind::Controller, hexText::byte(controller.la) + "00"));
        addTerminals(units, table, row, controller.la);
    }
    addTerminals(units, table, SurveyTable::kBusRow, 0);
    return units;
}

UnitType unitTypeOf(const SurveyedUnit& unit, ControllerModel model) {
    switch (unit.unit.kind) {
    case SiteUnitKind::Host:
        return UnitType::HostInterface;
    case SiteUnitKind::Remote:
        return UnitType::Remote;
    case SiteUnitKind::Terminal:
        return UnitType::Terminal;
    case SiteUnitKind::Controller:
        break;
    }
    if (unit.unit.productId == 5)
        return model == ControllerModel::CD ? UnitType::ControllerCD : UnitType::ControllerAB;
    return unit.unit.productId == 50 ? UnitType::ControllerCD : UnitType::ControllerAB;
}

SiteResult resultBeforeRun(SiteAction action) {
    switch (action) {
    case SiteAction::Upgrade:
        break;
    case SiteAction::UpToDate:
        return SiteResult::UpToDate;
    case SiteAction::NoFile:
        return SiteResult::NoFile;
    case SiteAction::NotReachable:
        return SiteResult::NotReachable;
    case SiteAction::OnRequest:
        return SiteResult::OnRequest;
    }
    return SiteResult::Planned;
}

bool behindFile(const SurveyedUnit& unit, std::uint16_t fileVersion) {
    return needsUpgrade({unit.version, unit.upgradeMode}, fileVersion);
}

void planUnits(std::vector<SurveyedUnit>& units, const SiteOptions& options, FirmwareShelf& shelf) {
    for (SurveyedUnit& surveyed : units) {
        if (surveyed.unit.kind == SiteUnitKind::Remote)
            planRemote(surveyed, options, shelf);
        else
            planApplication(surveyed, options, shelf);
        if (surveyed.unit.sharesAddress) {
            planSharedAddress(surveyed);
            continue;
        }
        SiteUnit& unit = surveyed.unit;
        unit.result = resultBeforeRun(unit.action);
        // A file the trust check refused is no file to send: the unit is refused, and why.
        if (unit.action == SiteAction::NoFile && unit.fileRefusal) {
            unit.result = SiteResult::Refused;
            unit.reason = unit.fileRefusal;
        }
        // A unit in its boot loader that no step will repair stays there.
        if (surveyed.upgradeMode && unit.action != SiteAction::Upgrade) {
            unit.result = SiteResult::LeftInBootLoader;
            if (unit.fileRefusal)
                unit.reason = unit.fileRefusal;
            else if (!unit.reason)
                unit.reason = siteActionText(unit.action);
        }
    }
}
