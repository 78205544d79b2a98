// "&Ping": the network survey of the System Tools page.

#include "fwUpgrade.h"
#include "tools/networkSurvey.h"

// The survey cannot be stopped and may take minutes on a large network: no button is its
// Stop, so its own stays disabled with the others until it ends.
void TForm1::btnPingClick() {
    runOperation(
        [this] {
            OperationContext run = context();
            ::surveyBus(run, survey);
        },
        RunLog::Report);
}
