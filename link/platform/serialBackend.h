#pragma once
// What the port component needs of the operating system's serial services. The POSIX
// termios backend serves real devices and pseudo-terminals; the simulator provides an
// in-memory backend on the virtual clock.

#include <cstdint>
#include <optional>
#include <string>

enum class Parity { None, Odd, Even, Mark, Space };
enum class StopBits { One, OneAndHalf, Two };
enum class RtsMode { Off, On, Handshake }; // hhNONE, hhNONERTSON, hhRTSCTS

struct LineSettings {
    std::uint32_t baud = 38400;
    int dataBits = 8;
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
    RtsMode rts = RtsMode::Off;
    bool xonXoff = false;
    bool dtrOn = false;
    int xonXoffLimit = 1024;
    int inQueueSize = 4096;
    int outQueueSize = 4096;
};

struct ModemSignals {
    bool cts = false, dsr = false, ring = false, carrierDetect = false;
};

class SerialBackend {
public:
    virtual ~SerialBackend() = default;

    virtual bool open(const std::string& device) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Failures of configuration are reported but callers may ignore them.
    virtual bool configure(const LineSettings& settings) = 0;
    virtual void purge(bool input, bool output) = 0;
    virtual bool setDtr(bool on) = 0;
    virtual std::optional<ModemSignals> modemSignals() = 0;

    virtual int bytesWaiting() = 0; // bytes readable now; -1 on error
    virtual int outputQueued() = 0; // bytes still queued for the line; 0 when unknown
    virtual int write(const std::uint8_t* data, int count) = 0; // bytes taken, never blocks long
    virtual bool drain(int timeoutMs) = 0;                 // wait until the output queue is empty
    virtual int read(std::uint8_t* buffer, int count) = 0; // bytes read, never blocks
    virtual bool waitReadable(int timeoutMs) = 0;          // true when input is waiting

    // The platform's words once the line itself has failed (the device went away, the far end
    // of a pseudo-terminal closed); empty while it works. Cleared by open().
    virtual std::string lineFault() const { return {}; }
    // Why the last open() failed, with the device and a remedy; empty when unknown.
    virtual std::string openFailure() const { return {}; }
    // What the operator should know about the open line once per run (settings it does not
    // take from this tool); empty when nothing.
    virtual std::string openNote() const { return {}; }
};
