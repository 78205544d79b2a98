#pragma once
// One request/reply exchange with a unit: framing, CRC, sequence number, reply collection
// and the comms log. One Transaction lives for the whole session of a bus.

#include "capture.h"
#include "catalogue.h"
#include "clock.h"
#include "console.h"
#include "crc.h"
#include "exchangeResult.h"
#include "lineLoss.h"
#include "serialPort.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class Transaction {
public:
    static constexpr const char* kCommsLogName = "qrmcomlog.txt";
    // Longest frame collected; longer runs without a carriage return are dropped.
    static constexpr std::size_t kMaxFrameLength = 4096;

    Transaction(TSerialPort& port, Clock& clock, Console& console);

    // Sends command to address and returns the accepted reply with how the exchange ended. Once
    // the line itself has failed, an exchange ends at once with PortError instead of waiting out
    // its time-outs.
    Reply TxMessage(const std::string& address, const std::string& command, std::uint16_t timeout,
                    std::uint16_t retries);
    // A use that is safe to repeat gets the operator's extra attempts on top of its retries.
    Reply TxMessage(const std::string& address, const std::string& command, TimeoutRetries use) {
        return TxMessage(address, command, use.timeout, retriesWith(use, extraAttempts()));
    }
    // As TxMessage, but a request that meets only silence is not sent again: only a damaged
    // reply is (AddressSearch asks the silent addresses again later).
    Reply TxUntilSilent(const std::string& address, const std::string& command,
                        TimeoutRetries use) {
        return exchange(address, command, use.timeout, retriesWith(use, extraAttempts()), true);
    }
    // Collects one more reply to the most recent request.
    Reply PollResponse(std::uint16_t timeout);

    // A fixed pause of a procedure: sleeps on the clock, and ends at once when the line is lost,
    // since nothing after it can reach the units.
    void pause(std::uint32_t ms);

    // How the exchanges ended since the last reset (every attempt of a retried one counts).
    const ExchangeCounts& counts() const { return counts_; }
    void resetCounts() { counts_.reset(); }
    // A new run: its counts start from zero, and its first port error and the open line's note
    // are told in log.
    void beginRun(RunLog log) {
        resetCounts();
        searchLoss_ = {};
        runLog_ = log;
        portNoteSaid_ = false;
    }
    // The line itself failed in this run: every further exchange fails at once, so the
    // procedures end the run at their next checkpoint.
    // What the units that answered a search in this run needed: the line's loss as the
    // searches measure it (AddressSearch).
    struct SearchLoss {
        unsigned sendings = 0; // to units that answered in the end
        unsigned repeats = 0;  // of those, the ones that went unanswered
    };
    SearchLoss& searchLoss() { return searchLoss_; }
    bool lineLost() const { return counts_.of(ExchangeOutcome::PortError) > 0; }
    const Reply& lastResult() const { return last_; }

    // Called at every wake of a reply wait and every slice of a pause, on the thread of the run:
    // where tests and benchmarks act at a known moment of a run.
    void setWaitHook(std::function<void()> hook) { waitHook_ = std::move(hook); }

    std::uint16_t sequenceNumber() const { return sequence_; }
    void setSequenceNumber(std::uint16_t value) { sequence_ = value; }
    // The Extend Timeouts dialog sets it on the window's thread while a run may read it: a run
    // takes it up at its next wait.
    std::uint16_t minimumTimeout() const { return minimumTimeout_.load(); }
    void setMinimumTimeout(std::uint16_t ms) { minimumTimeout_.store(ms); }
    // How many more times a request that is safe to repeat is sent when its reply is lost or
    // damaged, beyond the retries of its use: the operator's setting for a noisy line, 0 (the
    // default) to kMaxExtraAttempts. May be set from another thread; a run takes it up at its
    // next request.
    static constexpr int kMaxExtraAttempts = 5;
    int extraAttempts() const { return extraAttempts_.load(); }
    void setExtraAttempts(int count) {
        extraAttempts_.store(std::clamp(count, 0, kMaxExtraAttempts));
    }
    bool logging() const { return logging_; }
    // Start-up: logging is on when the comms log exists in the working folder.
    void detectLogging();
    void setLogging(bool on) { logging_ = on; }
    // Where the frames go when logging is on: kCommsLogName, unless several buses run at once
    // and each keeps a log of its own (commsLogNameFor).
    const std::string& commsLogName() const { return commsLogName_; }
    void setCommsLogName(std::string name) { commsLogName_ = std::move(name); }

    // Every request and what each wait read go to writer too while it is set; null: none. Set
    // only while no run uses the transaction.
    void setCapture(capture::Writer* writer) { capture_ = writer; }
    capture::Writer* capture() const { return capture_; }

    TSerialPort& port() { return port_; }
    Clock& clock() { return clock_; }
    Console& console() { return console_; }

private:
    Reply exchange(const std::string& address, const std::string& command, std::uint16_t timeout,
                   std::uint16_t retries, bool silenceEnds);
    void logLine(const std::string& line);
    void waited() {
        if (waitHook_) waitHook_();
    }
    ExchangeOutcome judgeFrame(std::string& frame) const;
    Reply attempt(const std::string& frame, std::uint16_t timeout);
    bool takeArrived();
    Reply portError() const;
    Reply finish(Reply result);
    void sayPortNote();

    TSerialPort& port_;
    Clock& clock_;
    Console& console_;
    std::uint16_t sequence_ = 0xFFFF;
    std::atomic<std::uint16_t> minimumTimeout_{0};
    std::atomic<int> extraAttempts_{0};
    bool logging_ = false;
    std::string commsLogName_ = kCommsLogName;
    ExchangeCounts counts_;
    SearchLoss searchLoss_;
    Reply last_;
    RunLog runLog_ = RunLog::Status;
    bool portNoteSaid_ = false;
    std::function<void()> waitHook_;
    capture::Writer* capture_ = nullptr;
    // What the current wait has read, for the capture: every byte, noise and rejected frames too.
    std::string heard_;
    std::uint64_t waitLimitMs_ = 0;
    // Bytes read from the line and not yet looked at: a block may hold more than one reply.
    std::vector<std::uint8_t> arrived_;
    std::size_t arrivedAt_ = 0;
};
