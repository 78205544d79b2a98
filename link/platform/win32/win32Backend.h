#pragma once
// Serial ports through the Win32 communications API. The handle is opened for overlapped
// use, so that a wait for input can sleep on an event (bounded by the slice the transaction
// asks for) and a block being written can be waited for without holding up the caller.

#include "link/platform/serialBackend.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <vector>

class Win32Backend : public SerialBackend {
public:
    Win32Backend() = default;
    ~Win32Backend() override;
    Win32Backend(const Win32Backend&) = delete;
    Win32Backend& operator=(const Win32Backend&) = delete;

    bool open(const std::string& device) override;
    void close() override;
    bool isOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }

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

private:
    bool prepareHandle(const std::string& device);
    // ClearCommError: what waits in either direction; false (fault noted) when it fails.
    bool queueStatus(COMSTAT& status);
    // Reaps the block being written once it has gone; false while it is still going out.
    bool finishWrite(DWORD waitMs);
    bool waitForEvent(int timeoutMs);
    void pollForInput(int timeoutMs);
    // Remembers the first failure of the line; a cancelled or still-pending call is none.
    void noteFault(DWORD error);

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    HANDLE writeEvent_ = nullptr;
    HANDLE readEvent_ = nullptr;
    HANDLE commEvent_ = nullptr;
    OVERLAPPED writeOverlapped_{};
    OVERLAPPED commOverlapped_{};
    DWORD commEventMask_ = 0;
    bool writePending_ = false;
    bool commWaitPending_ = false;
    bool commEventsUnsupported_ = false;
    bool timerRaised_ = false;
    // The block being written stays here until the driver is done with it.
    std::vector<std::uint8_t> writeBlock_;
    std::string fault_;
    std::string openFailure_;
};
