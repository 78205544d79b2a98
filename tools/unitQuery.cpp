#include "unitQuery.h"

#include "link/catalogue.h"
#include "link/replyReader.h"
#include "product/products.h"
#include "surveyLines.h"

std::string takeUnitInfo(SurveyRecord& unit, const std::string& infoReply, bool terminal) {
    const reply::UnitInfo info = reply::readUnitInfo(infoReply);
    const bool upgradeMode = info.inUpgradeMode();
    unit.status = upgradeMode ? surveyStatus::UpgradeMode : surveyStatus::Ok;
    unit.version = info.validVersion();
    if (terminal) unit.secondVersion = info.validSecondVersion();
    const bool bracketed = terminal && !upgradeMode && isBracketedProduct(unit.productId);
    return versionTail(bracketed, unit.secondVersion);
}

void reportUnit(OperationContext& context, SurveyRecord& unit, const std::string& address,
                const UnitQueryRule& rule) {
    const bool asked = unit.la >= la::First && unit.la <= rule.highestAskedLa;
    if (asked && unit.duplicate) {
        context.console.report(unitLineWithoutVersion(unit, surveyStatus::DuplicateLa));
    } else if (asked) {
        const std::string info =
            context.link.TxMessage(address, cmd::UnitInfo, tr::SurveyUnitInfo).text;
        if (!reply::hasUnitInfo(info, reply::UnitInfoShortThreshold)) {
            context.console.report(unitLineWithoutVersion(unit, surveyStatus::CommsError));
        } else {
            const std::string tail = takeUnitInfo(unit, info, rule.terminal);
            context.console.report(unitLine(unit, tail));
        }
    } else if (unit.la == la::Broadcast) {
        context.console.report(unitLineWithoutVersion(unit, surveyStatus::NoLa));
    }
}
