#pragma once
// One bus: its port and backend, the transaction, the comms log, the run control and the
// worker thread that runs its operations. The one way the engine is put together: the window,
// the command-line tool, the tests and the benchmarks each make a session per bus. Nothing here
// is shared between sessions, so several buses can run at once in one process.

#include "capture.h"
#include "clock.h"
#include "console.h"
#include "lineLoss.h"
#include "operationContext.h"
#include "outcome.h"
#include "runControl.h"
#include "serialPort.h"
#include "transaction.h"
#include "trustSettings.h"
#include "unitLedger.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

class LinkSession {
public:
    using Operation = std::function<void(OperationContext&)>;
    // Told on the worker thread once an operation has ended: completed when it ran to its own
    // end (what it concluded it hands its caller itself), an error with its text when a comms
    // log failure or another error ended it early (already shown to the operator).
    using Finished = std::function<void(const Outcome& ran)>;

    // Without a backend the port picks one by the device name at each open.
    explicit LinkSession(Console& console, Clock& clock = systemClock(),
                         std::unique_ptr<SerialBackend> backend = {});
    // A running operation is stopped and waited for. From the session's own worker (its Finished
    // callback) nothing is waited for: the worker is let go, and touches nothing of the session
    // after that callback.
    ~LinkSession();
    LinkSession(const LinkSession&) = delete;
    LinkSession& operator=(const LinkSession&) = delete;

    // Runs operation on the calling thread, unless another one holds the bus (refused, nothing
    // done). An error when one ended it early.
    Outcome run(const Operation& operation, RunLog log = RunLog::Status);
    // Starts operation on the session's worker thread and returns at once; false (nothing
    // started) while another one holds the bus, and from the worker itself (its Finished
    // callback), which cannot wait for itself.
    bool start(Operation operation, RunLog log = RunLog::Status, Finished finished = {});
    // Waits up to ms for the started operation to end; true when none is running.
    bool waitFor(std::uint32_t ms);
    void wait();

    bool busy() const { return control_.busy(); }
    // An operation that reads firmware reads its folder's trust first (trust/folderTrust.h) and
    // hands it in; without it every firmware file is refused.
    OperationContext context(const FirmwareTrust& trust = FirmwareTrust::unread()) {
        return {link_, console_, clock_, control_, trust, units_};
    }
    TSerialPort& port() { return port_; }
    Transaction& link() { return link_; }
    RunControl& control() { return control_; }
    Clock& clock() { return clock_; }
    Console& console() { return console_; }
    // The trusted key that each run's read of the folder's trust holds SHA256SUMS to. Changed
    // only while no operation runs (the faces disable the control meanwhile).
    void setTrustSettings(TrustSettings trust) { trust_ = std::move(trust); }
    const TrustSettings& trustSettings() const { return trust_; }

    // Records this bus's exchanges into a capture from now on (link/capture.h), replacing any
    // earlier one; throws capture::WriteError. Only while no operation runs.
    void startCapture(const std::string& path, const capture::Header& header) {
        link_.setCapture(nullptr);
        capture_ = std::make_unique<capture::Writer>(path, header);
        link_.setCapture(capture_.get());
    }
    void stopCapture() {
        link_.setCapture(nullptr);
        capture_.reset();
    }
    capture::Writer* capture() { return capture_.get(); }

private:
    Outcome perform(const Operation& operation, RunLog log);
    void joinWorker();
    bool onWorker() const; // called on this session's worker thread

    // What the worker still needs once its Finished callback has run, which may have destroyed
    // the session: held by the worker as well as by the session.
    struct WorkerState {
        std::mutex mutex;
        std::condition_variable ended;
        bool working = false; // the worker runs an operation
    };

    Console& console_;
    Clock& clock_;
    TSerialPort port_;
    Transaction link_;
    RunControl control_;
    TrustSettings trust_;
    UnitLedger units_;
    std::unique_ptr<capture::Writer> capture_;
    std::thread worker_;
    std::shared_ptr<WorkerState> state_ = std::make_shared<WorkerState>();
};
