#include "sim/ptySimulator.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace sim {

namespace {
constexpr std::uint64_t kIdlePollUs = 2000;

bool makeRaw(int fd) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) return false;
    cfmakeraw(&settings);
    return tcsetattr(fd, TCSANOW, &settings) == 0;
}
} // namespace

PtySimulator::PtySimulator(Network network, PtyOptions options)
    : simulator_(std::move(network)), line_(options) {}

PtySimulator::~PtySimulator() {
    stop();
}

std::uint64_t PtySimulator::nowUs() const {
    return steadyUs() - startUs_;
}

bool PtySimulator::openDevice() {
    // Never inherited by a program the tests start: a copy held there would keep the device
    // alive after the simulator closed it.
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        error_ = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    const char* name = ptsname(master_);
    if (name == nullptr) return false;
    devicePath_ = name;
    // Holding the slave open keeps the master readable while the tool closes and reopens it.
    slave_ = ::open(devicePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave_ < 0 || !makeRaw(slave_)) {
        error_ = "cannot set " + devicePath_ + " to raw mode";
        return false;
    }
    return true;
}

// Replaces an old symbolic link, but never a file that is not one.
bool PtySimulator::makeLink(const std::string& linkPath) {
    struct stat info {};
    if (lstat(linkPath.c_str(), &info) == 0) {
        if (!S_ISLNK(info.st_mode)) {
            error_ = linkPath + " exists and is not a symbolic link";
            return false;
        }
        ::unlink(linkPath.c_str());
    }
    if (symlink(devicePath_.c_str(), linkPath.c_str()) != 0) {
        error_ = "cannot link " + linkPath + ": " + std::strerror(errno);
        return false;
    }
    linkPath_ = linkPath;
    return true;
}

std::optional<std::string> PtySimulator::start(const std::string& linkPath) {
    if (thread_.joinable()) return devicePath_;
    if (!openDevice() || (!linkPath.empty() && !makeLink(linkPath))) {
        stop();
        return std::nullopt;
    }
    startUs_ = steadyUs();
    stopping_ = false;
    thread_ = std::thread([this] { serve(); });
    return devicePath_;
}

void PtySimulator::stop() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    if (!linkPath_.empty()) {
        char target[4096];
        ssize_t n = readlink(linkPath_.c_str(), target, sizeof target - 1);
        if (n >= 0 && std::string(target, static_cast<std::size_t>(n)) == devicePath_)
            ::unlink(linkPath_.c_str());
        linkPath_.clear();
    }
    closeDevice();
}

void PtySimulator::closeDevice() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
    slave_ = master_ = -1;
}

void PtySimulator::unplug() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    closeDevice();
    unplugged_ = true;
}

std::optional<std::string> PtySimulator::replug() {
    unplug();
    // Whatever was half received or still on its way went with the old device.
    line_.reset();
    if (!openDevice() || (!linkPath_.empty() && !makeLink(linkPath_))) {
        closeDevice();
        return std::nullopt;
    }
    stopping_ = false;
    unplugged_ = false;
    thread_ = std::thread([this] { serve(); });
    return devicePath_;
}

bool PtySimulator::unplugDue() {
    std::size_t left = unplugCountdown_;
    while (left > 0 && !unplugCountdown_.compare_exchange_weak(left, left - 1)) {
    }
    return left == 1;
}

void PtySimulator::receive(std::uint64_t now) {
    char buffer[4096];
    ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n <= 0) return;
    auto answer = [this](const std::string& frame,
                         std::uint64_t nowMs) -> std::optional<std::vector<OutgoingReply>> {
        if (unplugDue()) return std::nullopt;
        std::lock_guard<std::mutex> lock(mutex_);
        if (handler_) return handler_(frame, nowMs);
        return simulator_.receiveFrame(frame, nowMs);
    };
    if (line_.receive(buffer, static_cast<std::size_t>(n), now, answer)) return;
    closeDevice();
    unplugged_ = true;
}

void PtySimulator::sendDue(std::uint64_t now) {
    std::string due = line_.takeDue(now);
    if (due.empty()) return;
    ssize_t n = ::write(master_, due.data(), due.size());
    std::size_t written = n > 0 ? static_cast<std::size_t>(n) : 0;
    if (written < due.size()) line_.giveBack(due.substr(written), now);
}

void PtySimulator::serve() {
    while (!stopping_ && !unplugged_) {
        std::uint64_t now = nowUs();
        sendDue(now);
        std::uint64_t waitUs = line_.waitUs(now, kIdlePollUs);
        pollfd fd{master_, POLLIN, 0};
        timespec timeout{0, static_cast<long>(waitUs * 1000)};
        if (ppoll(&fd, 1, &timeout, nullptr) > 0 && (fd.revents & POLLIN)) receive(nowUs());
    }
}

std::optional<Unit> PtySimulator::unit(const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    const Unit* found = simulator_.unit(name);
    if (found == nullptr) return std::nullopt;
    return *found;
}

Network PtySimulator::snapshot() {
    std::lock_guard<std::mutex> lock(mutex_);
    return simulator_.network();
}

} // namespace sim
