#include "lineDiagnostics.h"

#include "link/operation.h"

namespace {
constexpr char kFinished[] = "Finished.";
}

LineDiagnosticsResult runLineDiagnostics(const OperationContext& context, SurveyTable& table,
                                         const LineDiagnosticsSettings& settings) {
    LineDiagnosticsResult result;
    PortSession session(context.link);
    if (!session.opened()) return result;
    result.portOpened = true;
    if (settings.fastPoll) {
        result.end = runFastPoll(context, settings.cla);
    } else {
        result.commsTest = runCommsTest(context, table, {settings.cla, settings.cycles});
        result.end = result.commsTest.end;
    }
    context.console.report(kFinished);
    return result;
}
