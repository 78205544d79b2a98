#include "operation.h"

PortSession::PortSession(Transaction& link, bool suspendAndDropDtr) : link_(link) {
    TSerialPort& port = link_.port();
    const PortOpening opening = port.OpenPort();
    opened_ = opening.opened;
    if (!opened_) {
        link_.console().message(MessageKind::Error,
                                opening.reason.empty()
                                    ? std::string(kOpenFailed)
                                    : std::string(kOpenFailed) + "\n" + opening.reason);
        return;
    }
    if (!suspendAndDropDtr) return;
    // Never resumed: once the tool has talked to the units, polling stays off for the run.
    if (port.PollingActive()) port.SuspendPolling();
    port.SetDtr(false);
}

PortSession::~PortSession() {
    if (opened_) link_.port().ClosePort();
}
