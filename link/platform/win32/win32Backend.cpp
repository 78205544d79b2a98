#include "win32Backend.h"

#include "win32Errors.h"

#include <algorithm>
#include <mmsystem.h>

namespace {

// A read asks only for what ClearCommError said is waiting, so it completes at once; this
// only bounds a driver that would not.
constexpr DWORD kReadCompletionMs = 50;

BYTE parityCode(Parity parity) {
    switch (parity) {
    case Parity::Odd:
        return ODDPARITY;
    case Parity::Even:
        return EVENPARITY;
    case Parity::Mark:
        return MARKPARITY;
    case Parity::Space:
        return SPACEPARITY;
    case Parity::None:
        break;
    }
    return NOPARITY;
}

BYTE stopBitsCode(StopBits bits) {
    switch (bits) {
    case StopBits::OneAndHalf:
        return ONE5STOPBITS;
    case StopBits::Two:
        return TWOSTOPBITS;
    case StopBits::One:
        break;
    }
    return ONESTOPBIT;
}

DWORD rtsControl(RtsMode mode) {
    switch (mode) {
    case RtsMode::On:
        return RTS_CONTROL_ENABLE;
    case RtsMode::Handshake:
        return RTS_CONTROL_HANDSHAKE;
    case RtsMode::Off:
        break;
    }
    return RTS_CONTROL_DISABLE;
}

// Everything the port's properties do not name is cleared: no parity checking, no DSR flow
// control, no abort on error, no replacement characters.
void setLine(DCB& dcb, const LineSettings& settings) {
    dcb.BaudRate = settings.baud;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = settings.rts == RtsMode::Handshake;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = settings.dtrOn ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = FALSE;
    dcb.fOutX = settings.xonXoff;
    dcb.fInX = settings.xonXoff;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fRtsControl = rtsControl(settings.rts);
    dcb.fAbortOnError = FALSE;
    dcb.XonLim = static_cast<WORD>(settings.xonXoffLimit);
    dcb.XoffLim = static_cast<WORD>(settings.xonXoffLimit);
    dcb.ByteSize = static_cast<BYTE>(settings.dataBits);
    dcb.Parity = parityCode(settings.parity);
    dcb.StopBits = stopBitsCode(settings.stopBits);
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    dcb.ErrorChar = 0;
    dcb.EofChar = 0;
    dcb.EvtChar = 0;
}

void closeEvent(HANDLE& event) {
    if (event) CloseHandle(event);
    event = nullptr;
}

} // namespace

Win32Backend::~Win32Backend() {
    close();
}

void Win32Backend::noteFault(DWORD error) {
    if (error == ERROR_IO_PENDING || error == ERROR_OPERATION_ABORTED || !fault_.empty()) return;
    fault_ = systemErrorText(error);
}

bool Win32Backend::open(const std::string& device) {
    close();
    fault_.clear();
    openFailure_.clear();
    // No sharing: the port is this program's alone for as long as it is open.
    handle_ = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) {
        openFailure_ = describeOpenFailure(device, GetLastError());
        return false;
    }
    if (!prepareHandle(device)) {
        close();
        return false;
    }
    // Sleeps of a millisecond are what the reply wait and the write loop are made of; at the
    // default tick of 15.6 ms every one of them would last that long.
    timerRaised_ = timeBeginPeriod(1) == TIMERR_NOERROR;
    return true;
}

// A file that happens to be called COM1 is no serial line: only a communications device
// answers GetCommState.
bool Win32Backend::prepareHandle(const std::string& device) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handle_, &dcb)) {
        openFailure_ = device + ": not a serial line.";
        return false;
    }
    // Reads return at once with whatever has arrived; writes run until the block has gone,
    // and the port's own loops bound how long anyone waits for them.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    SetCommTimeouts(handle_, &timeouts);
    SetCommMask(handle_, EV_RXCHAR);
    writeEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    readEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    commEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!writeEvent_ || !readEvent_ || !commEvent_) {
        openFailure_ = device + ": " + systemErrorText(GetLastError()) + ".";
        return false;
    }
    return true;
}

void Win32Backend::close() {
    if (handle_ == INVALID_HANDLE_VALUE) return;
    // A wait for input ends when the event mask changes; a block still being written is
    // abandoned. Both must be over before their buffers and events go away.
    SetCommMask(handle_, 0);
    CancelIo(handle_);
    DWORD ignored = 0;
    if (commWaitPending_) GetOverlappedResult(handle_, &commOverlapped_, &ignored, TRUE);
    if (writePending_) GetOverlappedResult(handle_, &writeOverlapped_, &ignored, TRUE);
    commWaitPending_ = writePending_ = false;
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    closeEvent(writeEvent_);
    closeEvent(readEvent_);
    closeEvent(commEvent_);
    if (timerRaised_) timeEndPeriod(1);
    timerRaised_ = false;
}

bool Win32Backend::configure(const LineSettings& settings) {
    if (!isOpen()) return false;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handle_, &dcb)) return false;
    setLine(dcb, settings);
    const bool applied = SetCommState(handle_, &dcb) != 0;
    // The queue sizes are a recommendation the driver may pass over.
    SetupComm(handle_, static_cast<DWORD>(settings.inQueueSize),
              static_cast<DWORD>(settings.outQueueSize));
    return applied;
}

// Output is discarded only while some of it is still queued: a block that has gone whole is
// on the line, and a device that forwards to a peer (a virtual port, a pseudo-terminal under
// Wine) would otherwise take from the peer what it has not read yet.
void Win32Backend::purge(bool input, bool output) {
    if (!isOpen()) return;
    DWORD flags = input ? PURGE_RXABORT | PURGE_RXCLEAR : 0;
    if (output && outputQueued() > 0) flags |= PURGE_TXABORT | PURGE_TXCLEAR;
    if (flags == 0) return;
    PurgeComm(handle_, flags);
    if ((flags & PURGE_TXABORT) != 0) finishWrite(INFINITE);
}

// A port without modem lines (a virtual port, Wine's pseudo-terminal) refuses; the caller
// goes on with the line as it is.
bool Win32Backend::setDtr(bool on) {
    return isOpen() && EscapeCommFunction(handle_, on ? SETDTR : CLRDTR) != 0;
}

std::optional<ModemSignals> Win32Backend::modemSignals() {
    DWORD lines = 0;
    if (!isOpen() || !GetCommModemStatus(handle_, &lines)) return std::nullopt;
    ModemSignals signals;
    signals.cts = (lines & MS_CTS_ON) != 0;
    signals.dsr = (lines & MS_DSR_ON) != 0;
    signals.ring = (lines & MS_RING_ON) != 0;
    signals.carrierDetect = (lines & MS_RLSD_ON) != 0;
    return signals;
}

bool Win32Backend::queueStatus(COMSTAT& status) {
    DWORD errors = 0;
    status = COMSTAT{};
    if (ClearCommError(handle_, &errors, &status)) return true;
    noteFault(GetLastError());
    return false;
}

int Win32Backend::bytesWaiting() {
    COMSTAT status{};
    if (!isOpen() || !queueStatus(status)) return -1;
    return static_cast<int>(status.cbInQue);
}

// A block the driver has not finished with counts whole: part of it may not be in the
// driver's queue yet.
int Win32Backend::outputQueued() {
    COMSTAT status{};
    if (!isOpen() || !queueStatus(status)) return 0;
    const int queued = static_cast<int>(status.cbOutQue);
    if (!finishWrite(0)) return std::max(queued, static_cast<int>(writeBlock_.size()));
    return queued;
}

bool Win32Backend::finishWrite(DWORD waitMs) {
    if (!writePending_) return true;
    if (WaitForSingleObject(writeEvent_, waitMs) != WAIT_OBJECT_0) return false;
    DWORD written = 0;
    if (!GetOverlappedResult(handle_, &writeOverlapped_, &written, FALSE))
        noteFault(GetLastError());
    writePending_ = false;
    return true;
}

int Win32Backend::write(const std::uint8_t* data, int count) {
    if (!isOpen() || count <= 0) return 0;
    // One block at a time: until the last has gone the driver takes nothing more.
    if (!finishWrite(0)) return 0;
    writeBlock_.assign(data, data + count);
    writeOverlapped_ = OVERLAPPED{};
    writeOverlapped_.hEvent = writeEvent_;
    ResetEvent(writeEvent_);
    DWORD written = 0;
    if (WriteFile(handle_, writeBlock_.data(), static_cast<DWORD>(count), &written,
                  &writeOverlapped_))
        return static_cast<int>(written);
    const DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING) {
        noteFault(error);
        return 0;
    }
    writePending_ = true;
    return count; // the driver holds the whole block now
}

// Gives up only when the queue has not shrunk for timeoutMs, so a long block on a slow line
// still drains completely.
bool Win32Backend::drain(int timeoutMs) {
    if (!isOpen()) return false;
    ULONGLONG lastProgress = GetTickCount64();
    int queued = outputQueued();
    while (queued > 0) {
        if (GetTickCount64() - lastProgress > static_cast<ULONGLONG>(std::max(timeoutMs, 0)))
            return false;
        if (writePending_)
            finishWrite(1);
        else
            Sleep(1);
        const int now = outputQueued();
        if (now < queued) lastProgress = GetTickCount64();
        queued = now;
    }
    return fault_.empty();
}

int Win32Backend::read(std::uint8_t* buffer, int count) {
    if (!isOpen() || count <= 0) return 0;
    OVERLAPPED overlapped{};
    overlapped.hEvent = readEvent_;
    ResetEvent(readEvent_);
    DWORD got = 0;
    if (ReadFile(handle_, buffer, static_cast<DWORD>(count), &got, &overlapped))
        return static_cast<int>(got);
    const DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING) {
        noteFault(error);
        return 0;
    }
    // Only this read is given up: a block still being written and the wait for input go on.
    if (WaitForSingleObject(readEvent_, kReadCompletionMs) != WAIT_OBJECT_0)
        CancelIoEx(handle_, &overlapped);
    if (!GetOverlappedResult(handle_, &overlapped, &got, TRUE)) noteFault(GetLastError());
    return static_cast<int>(got);
}

bool Win32Backend::waitReadable(int timeoutMs) {
    if (!isOpen()) return false;
    const int waiting = bytesWaiting();
    if (waiting > 0) return true;
    if (waiting < 0) {
        // A failed line answers at once every time; whoever waits again still does not spin.
        Sleep(static_cast<DWORD>(std::max(timeoutMs, 0)));
        return false;
    }
    if (commEventsUnsupported_ || !waitForEvent(timeoutMs)) pollForInput(timeoutMs);
    return bytesWaiting() > 0;
}

// Sleeps on EV_RXCHAR until a character arrives or the slice has passed. A wait that outlives
// its slice stays pending and serves the next call. False when the driver has no such events.
bool Win32Backend::waitForEvent(int timeoutMs) {
    if (!commWaitPending_) {
        commOverlapped_ = OVERLAPPED{};
        commOverlapped_.hEvent = commEvent_;
        ResetEvent(commEvent_);
        commEventMask_ = 0;
        if (WaitCommEvent(handle_, &commEventMask_, &commOverlapped_)) return true;
        if (GetLastError() != ERROR_IO_PENDING) {
            commEventsUnsupported_ = true;
            return false;
        }
        commWaitPending_ = true;
    }
    if (WaitForSingleObject(commEvent_, static_cast<DWORD>(std::max(timeoutMs, 0))) !=
        WAIT_OBJECT_0)
        return true;
    DWORD ignored = 0;
    GetOverlappedResult(handle_, &commOverlapped_, &ignored, FALSE);
    commWaitPending_ = false;
    return true;
}

// For drivers without communication events: look at the queue once a millisecond.
void Win32Backend::pollForInput(int timeoutMs) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(std::max(timeoutMs, 0));
    while (bytesWaiting() == 0 && GetTickCount64() < end)
        Sleep(1);
}
