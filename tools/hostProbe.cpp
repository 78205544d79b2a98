#include "hostProbe.h"

#include "link/catalogue.h"
#include "link/replyReader.h"
#include "surveyLines.h"
#include "unitQuery.h"

#include <array>

namespace {

struct HostPosition {
    HostKind kind;
    const char* address;
    std::uint8_t la;
    const char* heading;
};

constexpr std::array kPositions{
    HostPosition{HostKind::hkReaderOrInterface, addr::HostInterface, la::Host,
                 surveyText::HostReader},
    HostPosition{HostKind::hkAdaptionSet, addr::AdaptionSet, la::Adaption,
                 surveyText::HostAdaption},
    HostPosition{HostKind::hkTagPilot, addr::TagPilot, la::Adaption, surveyText::HostTagPilot},
};

} // namespace

HostProbe probeHost(OperationContext& context, SurveyTable& table) {
    for (const HostPosition& position : kPositions) {
        if (context.ended()) break;
        const std::string info =
            context.link.TxMessage(position.address, cmd::UnitInfo, tr::SurveyHostInfo).text;
        if (!reply::hasUnitInfo(info, reply::UnitInfoShortThreshold)) continue;

        context.console.report(position.heading);
        context.console.report(surveyText::Header);
        SurveyRecord& host = table.at(SurveyTable::kBusRow, SurveyTable::kHostColumn);
        const reply::UnitInfo decoded = reply::readUnitInfo(info);
        host.fixedAddress = static_cast<std::int32_t>(decoded.fixedAddress);
        host.productId = decoded.productId;
        host.la = position.la;
        const std::string tail = takeUnitInfo(host, info, false);
        context.console.report(unitLine(host, tail));
        return {position.kind, host.status == surveyStatus::UpgradeMode};
    }
    return {};
}
