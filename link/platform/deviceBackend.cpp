#include "deviceBackend.h"

#include "nativeBackend.h"
#include "network/rfc2217Backend.h"
#include "networkAddress.h"

std::unique_ptr<SerialBackend> backendForDevice(const std::string& device) {
    if (!looksLikeNetworkAddress(device)) return makeNativeBackend();
    // A malformed address still goes to a network backend, whose open failure says how to
    // write one, rather than to the serial backend as a device path.
    const std::optional<NetworkAddress> address = parseNetworkAddress(device);
    if (address && address->protocol == NetworkProtocol::Rfc2217)
        return std::make_unique<Rfc2217Backend>();
    return std::make_unique<NetworkBackend>();
}

bool DeviceBackend::open(const std::string& device) {
    if (line_) line_->close();
    line_ = backendForDevice(device);
    return line_->open(device);
}

void DeviceBackend::close() {
    if (line_) line_->close();
}

// Before the first open there is no line: every call fails as on a closed device.
bool DeviceBackend::configure(const LineSettings& settings) {
    return line_ && line_->configure(settings);
}

void DeviceBackend::purge(bool input, bool output) {
    if (line_) line_->purge(input, output);
}

bool DeviceBackend::setDtr(bool on) {
    return line_ && line_->setDtr(on);
}

std::optional<ModemSignals> DeviceBackend::modemSignals() {
    return line_ ? line_->modemSignals() : std::nullopt;
}

int DeviceBackend::bytesWaiting() {
    return line_ ? line_->bytesWaiting() : -1;
}

int DeviceBackend::outputQueued() {
    return line_ ? line_->outputQueued() : 0;
}

int DeviceBackend::write(const std::uint8_t* data, int count) {
    return line_ ? line_->write(data, count) : 0;
}

bool DeviceBackend::drain(int timeoutMs) {
    return line_ && line_->drain(timeoutMs);
}

int DeviceBackend::read(std::uint8_t* buffer, int count) {
    return line_ ? line_->read(buffer, count) : 0;
}

bool DeviceBackend::waitReadable(int timeoutMs) {
    return line_ && line_->waitReadable(timeoutMs);
}

std::string DeviceBackend::lineFault() const {
    return line_ ? line_->lineFault() : std::string();
}

std::string DeviceBackend::openFailure() const {
    return line_ ? line_->openFailure() : std::string();
}

std::string DeviceBackend::openNote() const {
    return line_ ? line_->openNote() : std::string();
}
