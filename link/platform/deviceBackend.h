#pragma once
// The backend a port uses when none is given: at each open it picks, from the form of the
// device name, the backend that serves it, so that one port can talk to a local line in one
// run and to another kind of line in the next.

#include "serialBackend.h"

#include <memory>

// The backend that serves this device name (the native serial backend for plain names,
// the network backends for tcp:// and rfc2217:// addresses).
std::unique_ptr<SerialBackend> backendForDevice(const std::string& device);

class DeviceBackend : public SerialBackend {
public:
    bool open(const std::string& device) override;
    void close() override;
    bool isOpen() const override { return line_ && line_->isOpen(); }

    bool configure(const LineSettings& settings) override;
    void purge(bool input, bool output) override;
    bool setDtr(bool on) override;
    std::optional<ModemSignals> modemSignals() override;

    int bytesWaiting() override;
    int outputQueued() override;
    int write(const std::uint8_t* data, int count) override;
    bool drain(int timeoutMs) override;
    int read(std::uint8_t* buffer, int count) override;
    bool waitReadable(int timeoutMs) override;
    std::string lineFault() const override;
    std::string openFailure() const override;
    std::string openNote() const override;

    // The backend of the last open; null before the first.
    SerialBackend* line() { return line_.get(); }

private:
    std::unique_ptr<SerialBackend> line_;
};
