// "&Ping": the network survey of the System Tools page.

#include "fwUpgrade.h"
#include "tools/networkSurvey.h"

#include <QPushButton>

// The survey cannot be stopped and may take minutes on a large network: its button stays
// disabled meanwhile, and the session refuses every other operation until it ends.
void TForm1::btnPingClick() {
    const bool started = runOperation(
        [this] {
            OperationContext run = context();
            ::btnPingClick(run, survey);
        },
        RunLog::Report, nullptr, [this] { btnPing->setEnabled(true); });
    if (started) btnPing->setEnabled(false);
}
