#include "operation.h"

PortSession::PortSession(Transaction& link, bool suspendAndDropDtr) : link_(link) {
    TSerialPort& port = link_.port();
    opened_ = port.OpenPort();
    if (!opened_) {
        const std::string reason = port.OpenFailure();
        link_.console().message(MessageKind::Error, reason.empty()
                                                        ? std::string(kOpenFailed)
                                                        : std::string(kOpenFailed) + "\n" + reason);
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

namespace {

// Frees the gate however the operation ends.
class BusyFlag {
public:
    explicit BusyFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyFlag() { flag_ = false; }
    BusyFlag(const BusyFlag&) = delete;
    BusyFlag& operator=(const BusyFlag&) = delete;

private:
    bool& flag_;
};

} // namespace

bool OperationGate::run(const std::function<void()>& operation, RunLog log) {
    if (busy_) return false;
    BusyFlag busy(busy_);
    link_.beginRun(log); // the outcomes of this run's exchanges only
    try {
        operation();
        return true;
    } catch (const std::exception& error) {
        // The port must not stay held by an operation that is over.
        link_.port().ClosePort();
        link_.console().message(MessageKind::Error, error.what());
    }
    return false;
}
