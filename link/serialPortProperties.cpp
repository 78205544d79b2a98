#include "serialPort.h"

#include <algorithm>

std::uint32_t baudRateBitsPerSecond(TComPortBaudRate rate) {
    static constexpr std::uint32_t kBitsPerSecond[] = {
        110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200};
    return kBitsPerSecond[rate];
}

// Line settings apply to an open line at once; the device and queue sizes wait for the next
// open (OpenPort takes them up).
void TSerialPort::setComPort(TComPortNumber port) {
    comPort_ = port;
}

void TSerialPort::setComPortSpeed(TComPortBaudRate speed) {
    speed_ = speed;
    ApplyLineSettings();
}

void TSerialPort::setComPortDataBits(TComPortDataBits bits) {
    dataBits_ = bits;
    ApplyLineSettings();
}

void TSerialPort::setComPortStopBits(TComPortStopBits bits) {
    stopBits_ = bits;
    ApplyLineSettings();
}

void TSerialPort::setComPortParity(TComPortParity parity) {
    parity_ = parity;
    ApplyLineSettings();
}

void TSerialPort::setComPortHwHandshaking(TComPortHwHandshaking mode) {
    hw_ = mode;
    ApplyLineSettings();
}

void TSerialPort::setComPortSwHandshaking(TComPortSwHandshaking mode) {
    sw_ = mode;
    ApplyLineSettings();
}

void TSerialPort::setComPortInBufSize(std::uint16_t size) {
    inBufSize_ = size;
    if (!open_) receiveBuffer_.assign(size, 0);
}

void TSerialPort::setComPortOutBufSize(std::uint16_t size) {
    outBufSize_ = size;
}

// A packet longer than the receive buffer could never be handed over whole.
void TSerialPort::setPacketSize(std::int16_t size) {
    packetSize_ = size;
    if (size > 0 && size > inBufSize_) setComPortInBufSize(static_cast<std::uint16_t>(size * 2));
}

// A packet time-out shorter than one poll interval would expire between two looks.
void TSerialPort::setPacketTimeout(std::int32_t ms) {
    packetTimeout_ = ms;
    if (ms > 0 && ms < pollingDelay_) packetTimeout_ = pollingDelay_ + 150;
}

void TSerialPort::setComPortPollingDelay(std::uint16_t ms) {
    pollingDelay_ = ms;
    if (pollTimerRunning_) lastPollTick_ = clock_.nowMs();
}

void TSerialPort::setOnReceiveData(ReceiveDataHandler handler, void* context) {
    onReceiveData_ = handler;
    onReceiveDataContext_ = context;
}

void TSerialPort::setOnReceivePacket(ReceiveDataHandler handler, void* context) {
    onReceivePacket_ = handler;
    onReceivePacketContext_ = context;
}

std::string TSerialPort::resolvedDevicePath() const {
    return devicePath_.empty() ? devicePathForPort(comPort_) : devicePath_;
}

void configureForTool(TSerialPort& port) {
    port.setComPort(pnCOM1);
    port.setComPortSpeed(br38400);
    port.setComPortHwHandshaking(hhNONE);
    port.setComPortInBufSize(4096);
    port.setComPortOutBufSize(4096);
    port.setEnableDTROnOpen(false);
    port.setOutputTimeout(200);
    port.setInputTimeout(5);
}
