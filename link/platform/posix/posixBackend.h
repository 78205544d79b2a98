#pragma once
// Serial devices and pseudo-terminals through termios. The descriptor is non-blocking, so
// every read and write returns at once with whatever the kernel could do.

#include "link/platform/serialBackend.h"

class PosixBackend : public SerialBackend {
public:
    ~PosixBackend() override;

    bool open(const std::string& device) override;
    void close() override;
    bool isOpen() const override { return fd_ >= 0; }

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
    std::string lineFault() const override { return fault_; }
    std::string openFailure() const override { return openFailure_; }

    int descriptor() const { return fd_; }

private:
    bool setModemLine(int line, bool on);
    void requestLowLatency();
    // Remembers the first failure of the line; a call that would only block is no failure.
    void noteFault(int error);

    int fd_ = -1;
    bool exclusive_ = false; // TIOCEXCL set by this opening
    std::string fault_;
    std::string openFailure_;
};
