// "&Ping": the network survey of the System Tools page.

#include "fwUpgrade.h"
#include "tools/networkSurvey.h"

// The survey may take minutes on a large network. No button is its Stop, so its own stays
// disabled with the others until it ends; closing the window stops it at its next request.
void TForm1::btnPingClick() {
    runOperation(
        [this] {
            OperationContext run = context();
            ::surveyBus(run, survey);
        },
        RunLog::Report);
}
