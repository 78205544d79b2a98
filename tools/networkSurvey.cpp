#include "networkSurvey.h"

#include "groupIdentification.h"
#include "link/catalogue.h"
#include "link/operation.h"
#include "surveyLines.h"
#include "terminalList.h"
#include "unitQuery.h"

#include <algorithm>

namespace {

int occupiedCount(const GroupRecords& records) {
    return static_cast<int>(std::count_if(records.begin(), records.end(),
                                          [](const SurveyRecord* r) { return r->occupied(); }));
}

// Identifies one group, flags its duplicates, shows every unit and the count; returns it.
int surveyGroup(OperationContext& context, SurveyTable& table, SurveyGroup group,
                SurveyOutcome& outcome) {
    Console& console = context.console;
    console.report(group == SurveyGroup::sgControllers ? surveyText::Controllers
                                                       : surveyText::Terminals);
    console.report(surveyText::Header);
    if (identifyGroup(context, table, group).passLimitReached) {
        outcome.identifyGaveUp = true;
        console.report(identifyGaveUpLine(kIdentifyPassLimit));
    }
    GroupRecords records = groupRecords(table, group);
    flagDuplicates(records);
    for (SurveyRecord* unit : records) {
        if (context.link.lineLost()) break; // each unit left would be one more comms error
        if (!unit->occupied()) continue;
        if (group == SurveyGroup::sgControllers)
            reportUnit(context, *unit, addr::controller(unit->la), kControllerQuery);
        else
            reportUnit(context, *unit, addr::busTerminal(unit->la), kBusTerminalQuery);
    }
    const int count = occupiedCount(records);
    console.report(totalUnitsLine(count));
    console.report("");
    return count;
}

void listTerminalsOf(OperationContext& context, SurveyTable& table, int row) {
    Console& console = context.console;
    SurveyRecord& controller = table.at(row, 0);
    if (controller.la >= la::First && controller.la <= la::LastListed) {
        console.report(terminalsOnControllerLine(controller.la));
        console.report(surveyText::Header);
        const std::string list = context.link
                                     .TxMessage(addr::controller(controller.la), cmd::TerminalList,
                                                tr::SurveyTerminalList)
                                     .text;
        // Without a word the operator would take the empty section for a controller without
        // terminals.
        if (list.empty()) console.report(surveyText::NoResponse);
        displayTermInfo(context, table, row, list);
    } else if (controller.la > la::LastListed && controller.la <= la::HighestUnit) {
        // Terminals answer to LAs up to 40 of their controller only.
        console.report(surveyText::ControllerOnly);
        console.report(unitLineWithoutVersion(controller, controller.status));
        console.report(surveyText::InvalidLa);
        console.report(surveyText::RunEngine);
        console.report("");
    }
}

void surveyOpenPort(OperationContext& context, SurveyTable& table, SurveyOutcome& outcome) {
    Console& console = context.console;
    table.clear();
    outcome.host = probeHost(context, table);
    if (outcome.host.upgradeMode) {
        console.report(surveyText::HostInUpgradeMode);
        console.report("");
        console.report(surveyText::Finished);
        return;
    }
    if (outcome.host.kind != HostKind::hkNone) console.report("");

    outcome.controllers = surveyGroup(context, table, SurveyGroup::sgControllers, outcome);
    int found = outcome.controllers;
    if (outcome.host.kind == HostKind::hkNone && outcome.controllers == 0 &&
        !context.link.lineLost()) {
        outcome.busTerminalsAsked = true;
        outcome.busTerminals = surveyGroup(context, table, SurveyGroup::sgBusTerminals, outcome);
        found = outcome.busTerminals;
    }
    if (found != 0) {
        console.report("");
        for (int row = 1; row <= SurveyTable::kGroupSize && !context.link.lineLost(); ++row) {
            if (table.at(row, 0).status == surveyStatus::Ok) listTerminalsOf(context, table, row);
        }
    }
    console.report(surveyText::Finished);
}

} // namespace

SurveyOutcome surveyBus(OperationContext& context, SurveyTable& table) {
    SurveyOutcome outcome;
    context.console.clearReport();
    PortSession session(context.link);
    outcome.portOpened = session.opened();
    if (!outcome.portOpened) {
        outcome.end = Outcome::failed(PortSession::kOpenFailed);
        return outcome;
    }
    surveyOpenPort(context, table, outcome);
    if (context.ended()) outcome.end = context.endOfRun();
    return outcome;
}
