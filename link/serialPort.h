#pragma once
// The port component: one serial device, opened for the length of one operation.

#include "clock.h"
#include "platform/serialBackend.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum TComPortNumber {
    pnCOM1,
    pnCOM2,
    pnCOM3,
    pnCOM4,
    pnCOM5,
    pnCOM6,
    pnCOM7,
    pnCOM8,
    pnCOM9,
    pnCOM10,
    pnCOM11,
    pnCOM12,
    pnCOM13,
    pnCOM14,
    pnCOM15,
    pnCOM16
};
enum TComPortBaudRate {
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200
};
enum TComPortDataBits { db5BITS, db6BITS, db7BITS, db8BITS };
enum TComPortStopBits { sb1BITS, sb1HALFBITS, sb2BITS };
enum TComPortParity { ptNONE, ptODD, ptEVEN, ptMARK, ptSPACE };
enum TComPortHwHandshaking { hhNONE, hhNONERTSON, hhRTSCTS };
enum TComPortSwHandshaking { shNONE, shXONXOFF };
enum TPacketMode { pmDiscard, pmPass };

std::uint32_t baudRateBitsPerSecond(TComPortBaudRate rate);

// COMn, per platform. On POSIX: the entry "COMn" in the working folder if present, else
// /dev/ttyS{n-1}.
std::string devicePathForPort(TComPortNumber port);

// The result of opening a port, with its reason when it did not open: the device, what went
// wrong and what to do.
struct PortOpening {
    bool opened = false;
    std::string reason;
    explicit operator bool() const { return opened; }
};

class TSerialPort {
public:
    // Without a backend the port picks one by the device name at each open.
    explicit TSerialPort(Clock& clock = systemClock(), std::unique_ptr<SerialBackend> backend = {});
    ~TSerialPort();
    TSerialPort(const TSerialPort&) = delete;
    TSerialPort& operator=(const TSerialPort&) = delete;

    PortOpening OpenPort();
    void ClosePort();
    bool IsOpen() const;
    void ApplyLineSettings();
    void PurgeBuffers(bool input, bool output);
    int BytesWaiting();
    std::uint16_t OutputSpace();
    int WriteBytesTimed(const std::uint8_t* data, int count, int timeoutMs);
    int WriteBytes(const std::uint8_t* data, int count);
    bool WriteText(const std::string& text);
    int ReadBytes(std::uint8_t* buffer, int count);
    bool ReadOneByte(std::uint8_t& byte);
    void SetDtr(bool on);
    ModemSignals LineSignals();
    bool PollingActive() const { return suspendCount_ < 1; }
    void SuspendPolling() { ++suspendCount_; }
    void ResumePolling() { --suspendCount_; }

    // Waits up to timeoutMs for input without spinning; true when bytes wait.
    bool WaitForInput(int timeoutMs);
    // The platform's words once the open line itself has failed; empty while it works.
    std::string LineFault() const { return open_ ? backend_->lineFault() : std::string(); }
    // Why the last OpenPort failed: the device, the reason and the remedy.
    std::string OpenFailure() const { return backend_->openFailure(); }
    // What the open line asks the run's log to say once (a network port that leaves the speed
    // to its device server); empty when nothing.
    std::string OpenNote() const { return open_ ? backend_->openNote() : std::string(); }

    // Background receive path, for a user of the component that reads without transactions
    // (the tool's own operations suspend it and never tick it): it acts only when the polling
    // delay has passed since the last tick, the port is open and polling is not suspended.
    // Bytes taken here go to the receive handler, or are lost.
    void PollTimerTick();

    // Properties (setters follow the open-port rules of the component).
    TComPortNumber ComPort() const { return comPort_; }
    void setComPort(TComPortNumber port);
    // An explicit device path used instead of the COMn naming (command-line --port DEVICE).
    void setDevicePath(const std::string& path) { devicePath_ = path; }
    const std::string& devicePath() const { return devicePath_; }
    std::string resolvedDevicePath() const;

    TComPortBaudRate ComPortSpeed() const { return speed_; }
    void setComPortSpeed(TComPortBaudRate speed);
    TComPortDataBits ComPortDataBits() const { return dataBits_; }
    void setComPortDataBits(TComPortDataBits bits);
    TComPortStopBits ComPortStopBits() const { return stopBits_; }
    void setComPortStopBits(TComPortStopBits bits);
    TComPortParity ComPortParity() const { return parity_; }
    void setComPortParity(TComPortParity parity);
    TComPortHwHandshaking ComPortHwHandshaking() const { return hw_; }
    void setComPortHwHandshaking(TComPortHwHandshaking mode);
    TComPortSwHandshaking ComPortSwHandshaking() const { return sw_; }
    void setComPortSwHandshaking(TComPortSwHandshaking mode);
    std::uint16_t ComPortInBufSize() const { return inBufSize_; }
    void setComPortInBufSize(std::uint16_t size);
    std::uint16_t ComPortOutBufSize() const { return outBufSize_; }
    void setComPortOutBufSize(std::uint16_t size);
    std::int16_t PacketSize() const { return packetSize_; }
    void setPacketSize(std::int16_t size);
    std::int32_t PacketTimeout() const { return packetTimeout_; }
    void setPacketTimeout(std::int32_t ms);
    TPacketMode PacketMode() const { return packetMode_; }
    void setPacketMode(TPacketMode mode) { packetMode_ = mode; }
    std::uint16_t ComPortPollingDelay() const { return pollingDelay_; }
    void setComPortPollingDelay(std::uint16_t ms);
    bool EnableDTROnOpen() const { return dtrOnOpen_; }
    void setEnableDTROnOpen(bool on) { dtrOnOpen_ = on; }
    std::uint16_t OutputTimeout() const { return outputTimeout_; }
    void setOutputTimeout(std::uint16_t ms) { outputTimeout_ = ms; }
    std::int32_t InputTimeout() const { return inputTimeout_; }
    void setInputTimeout(std::int32_t ms) { inputTimeout_ = ms; }
    bool CheckLineStatus() const { return checkLineStatus_; }
    void setCheckLineStatus(bool on) { checkLineStatus_ = on; }

    using ReceiveDataHandler = void (*)(void* context, const std::uint8_t* data, int size);
    void setOnReceiveData(ReceiveDataHandler handler, void* context);
    void setOnReceivePacket(ReceiveDataHandler handler, void* context);

    bool pollTimerRunning() const { return pollTimerRunning_; }
    SerialBackend& backend() { return *backend_; }

private:
    LineSettings lineSettings() const;
    bool lineAllowsWriting();
    void takePackets(int waiting);

    Clock& clock_;
    std::unique_ptr<SerialBackend> backend_;
    bool open_ = false;
    std::string devicePath_;
    TComPortNumber comPort_ = pnCOM2;
    TComPortBaudRate speed_ = br9600;
    TComPortDataBits dataBits_ = db8BITS;
    TComPortStopBits stopBits_ = sb1BITS;
    TComPortParity parity_ = ptNONE;
    TComPortHwHandshaking hw_ = hhNONERTSON;
    TComPortSwHandshaking sw_ = shNONE;
    std::uint16_t inBufSize_ = 2048;
    std::uint16_t outBufSize_ = 2048;
    // The queue sizes the open line was set up with: new sizes wait for the next open.
    std::uint16_t lineInBufSize_ = 2048;
    std::uint16_t lineOutBufSize_ = 2048;
    std::int16_t packetSize_ = -1;
    std::int32_t packetTimeout_ = -1;
    TPacketMode packetMode_ = pmDiscard;
    std::uint16_t pollingDelay_ = 50;
    bool dtrOnOpen_ = true;
    std::uint16_t outputTimeout_ = 500;
    std::int32_t inputTimeout_ = 200;
    bool checkLineStatus_ = false;
    std::int32_t suspendCount_ = 0;
    std::vector<std::uint8_t> receiveBuffer_;
    std::int64_t packetStart_ = -1;
    bool pollTimerRunning_ = false;
    std::uint64_t lastPollTick_ = 0;
    ReceiveDataHandler onReceiveData_ = nullptr;
    void* onReceiveDataContext_ = nullptr;
    ReceiveDataHandler onReceivePacket_ = nullptr;
    void* onReceivePacketContext_ = nullptr;
};

// The settings the main window's stored properties give its port: COM1, 38400, no RTS,
// 4096-byte queues, DTR not raised on open, output time-out 200 ms, input time-out 5 ms.
void configureForTool(TSerialPort& port);
