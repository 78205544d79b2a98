#include "serialPort.h"

#include "platform/deviceBackend.h"

#include <algorithm>

namespace {

constexpr int kClosedBytesWaiting = 65535;
constexpr std::uint16_t kClosedOutputSpace = 0xFFFF;

} // namespace

TSerialPort::TSerialPort(Clock& clock, std::unique_ptr<SerialBackend> backend)
    : clock_(clock), backend_(std::move(backend)), receiveBuffer_(inBufSize_) {
    if (!backend_) backend_ = std::make_unique<DeviceBackend>();
}

TSerialPort::~TSerialPort() {
    ClosePort();
}

PortOpening TSerialPort::OpenPort() {
    if (open_) return {true, {}};
    open_ = backend_->open(resolvedDevicePath());
    if (!open_) return {false, backend_->openFailure()};
    lineInBufSize_ = inBufSize_;
    lineOutBufSize_ = outBufSize_;
    if (receiveBuffer_.size() != inBufSize_) receiveBuffer_.assign(inBufSize_, 0);
    ApplyLineSettings();
    pollTimerRunning_ = true;
    lastPollTick_ = clock_.nowMs();
    return {true, {}};
}

void TSerialPort::ClosePort() {
    if (!open_) return;
    pollTimerRunning_ = false;
    backend_->close();
    open_ = false;
}

bool TSerialPort::IsOpen() const {
    return open_;
}

LineSettings TSerialPort::lineSettings() const {
    static constexpr RtsMode kRts[] = {RtsMode::Off, RtsMode::On, RtsMode::Handshake};
    static constexpr Parity kParity[] = {Parity::None, Parity::Odd, Parity::Even, Parity::Mark,
                                         Parity::Space};
    static constexpr StopBits kStop[] = {StopBits::One, StopBits::OneAndHalf, StopBits::Two};
    LineSettings settings;
    settings.baud = baudRateBitsPerSecond(speed_);
    settings.dataBits = static_cast<int>(dataBits_) + 5;
    settings.parity = kParity[parity_];
    settings.stopBits = kStop[stopBits_];
    settings.rts = kRts[hw_];
    settings.xonXoff = sw_ == shXONXOFF;
    settings.dtrOn = dtrOnOpen_;
    settings.xonXoffLimit = std::min(lineInBufSize_ / 4, 4096);
    settings.inQueueSize = lineInBufSize_;
    settings.outQueueSize = lineOutBufSize_;
    return settings;
}

// Refusals (a pseudo-terminal has no modem lines) leave the line as the device accepted it.
void TSerialPort::ApplyLineSettings() {
    if (!open_) return;
    backend_->configure(lineSettings());
    PurgeBuffers(true, true);
}

// Only what is still queued for the line is discarded on output: a frame that was written
// whole has already left it, and on a pseudo-terminal flushing would take it from the peer.
void TSerialPort::PurgeBuffers(bool input, bool output) {
    if (!open_) return;
    const bool discardOutput = output && backend_->outputQueued() > 0;
    backend_->purge(input, discardOutput);
    packetStart_ = -1;
}

int TSerialPort::BytesWaiting() {
    if (!open_) return kClosedBytesWaiting;
    return std::max(backend_->bytesWaiting(), 0);
}

std::uint16_t TSerialPort::OutputSpace() {
    if (!open_) return kClosedOutputSpace;
    const int queued = backend_->outputQueued();
    return static_cast<std::uint16_t>(std::max(static_cast<int>(lineOutBufSize_) - queued, 0));
}

bool TSerialPort::lineAllowsWriting() {
    if (!checkLineStatus_) return true;
    const ModemSignals signals = LineSignals();
    return signals.cts || signals.dsr || signals.ring || signals.carrierDetect;
}

// The time-out bounds the time without progress, not the whole write; the call returns once
// the device has sent what it took, so a later purge cannot cut the block short.
int TSerialPort::WriteBytesTimed(const std::uint8_t* data, int count, int timeoutMs) {
    if (!open_) return 0;
    int written = 0;
    std::uint64_t lastProgress = clock_.nowMs();
    while (written < count) {
        const int space = OutputSpace();
        if (space > 0 && !lineAllowsWriting()) break;
        const int taken =
            space > 0 ? backend_->write(data + written, std::min(count - written, space)) : 0;
        if (taken > 0) {
            written += taken;
            lastProgress = clock_.nowMs();
            continue;
        }
        // A line that has failed takes nothing more, however long the write waits.
        if (!backend_->lineFault().empty()) break;
        if (clock_.nowMs() - lastProgress > static_cast<std::uint64_t>(std::max(timeoutMs, 0)))
            break;
        clock_.sleepMs(1);
    }
    if (written > 0) backend_->drain(timeoutMs);
    return written;
}

int TSerialPort::WriteBytes(const std::uint8_t* data, int count) {
    return WriteBytesTimed(data, count, outputTimeout_);
}

bool TSerialPort::WriteText(const std::string& text) {
    const int count = static_cast<int>(text.size());
    return WriteBytes(reinterpret_cast<const std::uint8_t*>(text.data()), count) == count;
}

int TSerialPort::ReadBytes(std::uint8_t* buffer, int count) {
    if (!open_) return 0;
    SuspendPolling();
    int got = 0;
    std::uint64_t lastProgress = clock_.nowMs();
    while (got < count) {
        const int waiting = BytesWaiting();
        const int taken =
            waiting > 0 ? backend_->read(buffer + got, std::min(count - got, waiting)) : 0;
        if (taken > 0) {
            got += taken;
            lastProgress = clock_.nowMs();
            continue;
        }
        if (clock_.nowMs() - lastProgress > static_cast<std::uint64_t>(std::max(inputTimeout_, 0)))
            break;
        WaitForInput(1);
    }
    ResumePolling();
    return got;
}

bool TSerialPort::ReadOneByte(std::uint8_t& byte) {
    return ReadBytes(&byte, 1) == 1;
}

void TSerialPort::SetDtr(bool on) {
    if (open_) backend_->setDtr(on);
}

ModemSignals TSerialPort::LineSignals() {
    if (!open_) return {};
    return backend_->modemSignals().value_or(ModemSignals{});
}

bool TSerialPort::WaitForInput(int timeoutMs) {
    if (!open_) {
        clock_.sleepMs(static_cast<std::uint32_t>(std::max(timeoutMs, 0)));
        return false;
    }
    return backend_->waitReadable(timeoutMs);
}
