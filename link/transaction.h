#pragma once
// One request/reply exchange with a unit: framing, CRC, sequence number, reply collection
// and the comms log. One Transaction lives for the whole run.

#include "clock.h"
#include "commsLog.h"
#include "console.h"
#include "crc.h"
#include "exchangeResult.h"
#include "lineLoss.h"
#include "serialPort.h"

#include <cstdint>
#include <string>

class Transaction {
public:
    static constexpr const char* kCommsLogName = "qrmcomlog.txt";
    // Longest frame collected; longer runs without a carriage return are dropped.
    static constexpr std::size_t kMaxFrameLength = 4096;

    Transaction(TSerialPort& port, Clock& clock, Console& console);

    // Sends command to address; reply gets the accepted reply or stays empty.
    void TxMessage(const std::string& address, const std::string& command, std::uint16_t timeout,
                   std::uint16_t retries, std::string& reply);
    // Collects one reply to the most recent request.
    void PollResponse(std::uint16_t timeout, std::string& reply);

    // The same two with the reason of the outcome. Once the line itself has failed, an exchange
    // ends at once with PortError instead of waiting out its time-outs.
    ExchangeResult exchange(const std::string& address, const std::string& command,
                            std::uint16_t timeout, std::uint16_t retries, std::string& reply);
    ExchangeResult collect(std::uint16_t timeout, std::string& reply);
    // How the exchanges ended since the last reset (every attempt of a retried one counts).
    const ExchangeCounts& counts() const { return counts_; }
    void resetCounts() { counts_.reset(); }
    // A new run: its counts start from zero, and its first port error and the open line's note
    // are told in log.
    void beginRun(RunLog log) {
        resetCounts();
        runLog_ = log;
        portNoteSaid_ = false;
    }
    // The line itself failed in this run: every further exchange fails at once, so the
    // procedures end the run at their next checkpoint.
    bool lineLost() const { return counts_.of(ExchangeOutcome::PortError) > 0; }
    const ExchangeResult& lastResult() const { return last_; }

    std::uint16_t sequenceNumber() const { return sequence_; }
    void setSequenceNumber(std::uint16_t value) { sequence_ = value; }
    std::uint16_t minimumTimeout() const { return minimumTimeout_; }
    void setMinimumTimeout(std::uint16_t ms) { minimumTimeout_ = ms; }
    bool logging() const { return logging_; }
    // Start-up: logging is on when the comms log exists in the working folder.
    void detectLogging();
    void setLogging(bool on) { logging_ = on; }

    TSerialPort& port() { return port_; }
    Clock& clock() { return clock_; }
    Console& console() { return console_; }

private:
    void logLine(const std::string& line);
    ExchangeOutcome judgeFrame(std::string& frame) const;
    ExchangeResult attempt(const std::string& frame, std::uint16_t timeout, std::string& reply);
    ExchangeResult portError() const;
    ExchangeResult finish(ExchangeResult result);
    void sayPortNote();

    TSerialPort& port_;
    Clock& clock_;
    Console& console_;
    std::uint16_t sequence_ = 0xFFFF;
    std::uint16_t minimumTimeout_ = 0;
    bool logging_ = false;
    ExchangeCounts counts_;
    ExchangeResult last_;
    RunLog runLog_ = RunLog::Status;
    bool portNoteSaid_ = false;
};
