#pragma once
// How every operation that talks to the units holds the port, and the rule that two such
// operations never run at once (events are pumped inside a running one).

#include "transaction.h"

#include <functional>

// Open the port, suspend background polling if active, drop DTR; close the port at the end.
// When the port does not open, shows the error box "Failed to open COM port", with a second
// line that says why and what to do.
class PortSession {
public:
    static constexpr const char* kOpenFailed = "Failed to open COM port";

    explicit PortSession(Transaction& link, bool suspendAndDropDtr = true);
    ~PortSession();
    PortSession(const PortSession&) = delete;
    PortSession& operator=(const PortSession&) = delete;

    bool opened() const { return opened_; }

private:
    Transaction& link_;
    bool opened_ = false;
};

// At most one operation at a time. A refused start does nothing. A comms log failure ends the
// operation with the platform's error shown, the port closed and the gate free again.
class OperationGate {
public:
    explicit OperationGate(Transaction& link) : link_(link) {}
    bool busy() const { return busy_; }
    // Runs operation unless another one is running; false when refused or ended by an error.
    // log is where the operation's lines go, and so where a failed line is reported.
    bool run(const std::function<void()>& operation, RunLog log = RunLog::Status);

private:
    Transaction& link_;
    bool busy_ = false;
};
