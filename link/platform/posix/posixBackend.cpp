#include "posixBackend.h"

#include "customBaud.h"
#include "openFailure.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <linux/major.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

speed_t standardSpeed(std::uint32_t baud) {
    switch (baud) {
    case 110:
        return B110;
    case 300:
        return B300;
    case 600:
        return B600;
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return B0; // no constant: needs the custom-speed route
    }
}

tcflag_t characterSize(int dataBits) {
    switch (dataBits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

void setParity(termios& tio, Parity parity) {
    tio.c_cflag &= ~(PARENB | PARODD | CMSPAR);
    switch (parity) {
    case Parity::None:
        break;
    case Parity::Odd:
        tio.c_cflag |= PARENB | PARODD;
        break;
    case Parity::Even:
        tio.c_cflag |= PARENB;
        break;
    case Parity::Mark:
        tio.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case Parity::Space:
        tio.c_cflag |= PARENB | CMSPAR;
        break;
    }
}

void setFraming(termios& tio, const LineSettings& settings) {
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~CSIZE;
    tio.c_cflag |= characterSize(settings.dataBits);
    setParity(tio, settings.parity);
    // POSIX knows no 1.5 stop bits; two is the nearest the line can do.
    if (settings.stopBits == StopBits::One)
        tio.c_cflag &= ~CSTOPB;
    else
        tio.c_cflag |= CSTOPB;
    if (settings.rts == RtsMode::Handshake)
        tio.c_cflag |= CRTSCTS;
    else
        tio.c_cflag &= ~CRTSCTS;
    if (settings.xonXoff)
        tio.c_iflag |= IXON | IXOFF;
    else
        tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VSTART] = 0x11;
    tio.c_cc[VSTOP] = 0x13;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
}

// The device side of a pseudo-terminal. Its exclusive-use flag belongs to the pair, not to
// the opening, so it outlives a process that ends without closing the port.
bool isPseudoTerminal(int fd) {
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode)) return false;
    const unsigned int kind = major(info.st_rdev);
    return kind == PTY_SLAVE_MAJOR || (kind >= UNIX98_PTY_SLAVE_MAJOR &&
                                       kind < UNIX98_PTY_SLAVE_MAJOR + UNIX98_PTY_MAJOR_COUNT);
}

void pauseBriefly() {
    std::this_thread::sleep_for(std::chrono::microseconds(500));
}

} // namespace

PosixBackend::~PosixBackend() {
    close();
}

void PosixBackend::noteFault(int error) {
    if (error == EAGAIN || error == EWOULDBLOCK || error == EINTR || !fault_.empty()) return;
    fault_ = std::strerror(error);
}

bool PosixBackend::open(const std::string& device) {
    close();
    fault_.clear();
    openFailure_.clear();
    fd_ = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        openFailure_ = describeOpenFailure(device, OpenStage::Open, errno);
        return false;
    }
    // Only a terminal line is a serial port: a plain file that happens to be called COM1 in
    // the working folder must not take the frames.
    if (!isatty(fd_)) {
        close();
        openFailure_ = describeOpenFailure(device, OpenStage::NotATerminal, 0);
        return false;
    }
    // The line is ours alone for as long as it is open: the lock keeps out every other copy
    // of this tool (whatever its privileges) and ends with the process however it ends;
    // TIOCEXCL keeps out other programs. On a pseudo-terminal that flag would stay set after a
    // run ended without closing the port (a second Ctrl-C, a kill), and every program without
    // root rights would find the simulator's line busy until the simulator restarts.
    if (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        close();
        openFailure_ = describeOpenFailure(device, OpenStage::Busy, 0);
        return false;
    }
    exclusive_ = !isPseudoTerminal(fd_);
    if (exclusive_) ioctl(fd_, TIOCEXCL);
    requestLowLatency();
    return true;
}

void PosixBackend::requestLowLatency() {
    serial_struct serial{};
    if (ioctl(fd_, TIOCGSERIAL, &serial) != 0) return;
    serial.flags |= ASYNC_LOW_LATENCY;
    ioctl(fd_, TIOCSSERIAL, &serial); // drivers that refuse it simply run as they are
}

void PosixBackend::close() {
    if (fd_ < 0) return;
    if (exclusive_) ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
}

bool PosixBackend::configure(const LineSettings& settings) {
    if (fd_ < 0) return false;
    termios tio{};
    if (tcgetattr(fd_, &tio) != 0) return false;
    setFraming(tio, settings);
    const speed_t speed = standardSpeed(settings.baud);
    if (speed != B0) {
        cfsetispeed(&tio, speed);
        cfsetospeed(&tio, speed);
        // A custom speed set before leaves its mark in the input-speed bits, which would keep
        // receiving at the old rate; cleared, the input follows the output.
        tio.c_cflag &= ~CIBAUD;
    }
    bool ok = tcsetattr(fd_, TCSANOW, &tio) == 0;
    if (ok && speed == B0) ok = setCustomBaud(fd_, settings.baud);
    if (settings.rts != RtsMode::Handshake) setModemLine(TIOCM_RTS, settings.rts == RtsMode::On);
    setDtr(settings.dtrOn);
    return ok;
}

void PosixBackend::purge(bool input, bool output) {
    if (fd_ < 0 || (!input && !output)) return;
    tcflush(fd_, input && output ? TCIOFLUSH : (input ? TCIFLUSH : TCOFLUSH));
}

bool PosixBackend::setModemLine(int line, bool on) {
    if (fd_ < 0) return false;
    return ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &line) == 0;
}

bool PosixBackend::setDtr(bool on) {
    return setModemLine(TIOCM_DTR, on);
}

std::optional<ModemSignals> PosixBackend::modemSignals() {
    int lines = 0;
    if (fd_ < 0 || ioctl(fd_, TIOCMGET, &lines) != 0) return std::nullopt;
    ModemSignals signals;
    signals.cts = (lines & TIOCM_CTS) != 0;
    signals.dsr = (lines & TIOCM_DSR) != 0;
    signals.ring = (lines & TIOCM_RNG) != 0;
    signals.carrierDetect = (lines & TIOCM_CAR) != 0;
    return signals;
}

int PosixBackend::bytesWaiting() {
    int count = 0;
    if (fd_ < 0) return -1;
    if (ioctl(fd_, FIONREAD, &count) != 0) {
        noteFault(errno);
        return -1;
    }
    return count;
}

int PosixBackend::outputQueued() {
    int count = 0;
    if (fd_ < 0 || ioctl(fd_, TIOCOUTQ, &count) != 0) return 0;
    return count;
}

int PosixBackend::write(const std::uint8_t* data, int count) {
    if (fd_ < 0 || count <= 0) return 0;
    const ssize_t written = ::write(fd_, data, static_cast<size_t>(count));
    if (written < 0) noteFault(errno);
    return written > 0 ? static_cast<int>(written) : 0;
}

// Gives up only when the queue has not shrunk for timeoutMs, so a long block on a slow line
// still drains completely.
bool PosixBackend::drain(int timeoutMs) {
    if (fd_ < 0) return false;
    using namespace std::chrono;
    auto lastProgress = steady_clock::now();
    int queued = outputQueued();
    while (queued > 0) {
        if (steady_clock::now() - lastProgress > milliseconds(timeoutMs)) return false;
        pauseBriefly();
        const int now = outputQueued();
        if (now < queued) lastProgress = steady_clock::now();
        queued = now;
    }
    // The driver's queue is empty; let the transmitter finish the last characters.
    return tcdrain(fd_) == 0;
}

int PosixBackend::read(std::uint8_t* buffer, int count) {
    if (fd_ < 0 || count <= 0) return 0;
    const ssize_t got = ::read(fd_, buffer, static_cast<size_t>(count));
    if (got < 0) noteFault(errno);
    return got > 0 ? static_cast<int>(got) : 0;
}

bool PosixBackend::waitReadable(int timeoutMs) {
    if (fd_ < 0) return false;
    pollfd entry{fd_, POLLIN, 0};
    const int ready = poll(&entry, 1, timeoutMs);
    if (ready == 0) return false;
    const bool hungUp = (entry.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
    if (ready > 0 && (entry.revents & POLLIN) != 0 && (!hungUp || bytesWaiting() > 0)) return true;
    // A hung-up line reports itself at once, every time: it is a fault of the line, which the
    // transaction ends its wait on. Whoever waits again still does not spin.
    noteFault(ready < 0 ? errno : ((entry.revents & POLLNVAL) != 0 ? EBADF : EIO));
    std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
    return false;
}
