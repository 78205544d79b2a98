#pragma once
// How every operation that talks to the units holds the port for its length.

#include "transaction.h"

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
