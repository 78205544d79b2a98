#include "ptyPeer.h"

#include "link/transaction.h"

#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Request: "@010000" + address(4) + sequence(4) + command + CRC(4).
constexpr std::size_t kAddressAt = 7;
constexpr std::size_t kSequenceAt = 11;
constexpr std::size_t kCommandAt = 15;
constexpr std::size_t kCrcLength = 4;

} // namespace

PtyPeer::PtyPeer(std::string address, std::chrono::milliseconds replyDelay)
    : address_(std::move(address)), delay_(replyDelay) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
    termios raw{};
    if (tcgetattr(master_, &raw) == 0) {
        cfmakeraw(&raw);
        tcsetattr(master_, TCSANOW, &raw);
    }
    devicePath_ = ptsname(master_);
    thread_ = std::thread([this] { serve(); });
}

PtyPeer::~PtyPeer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (master_ >= 0) close(master_);
}

void PtyPeer::serve() {
    std::string frame;
    while (!stop_) {
        pollfd waiting{master_, POLLIN, 0};
        if (poll(&waiting, 1, 20) <= 0 || !(waiting.revents & POLLIN)) continue;
        char buffer[256];
        const ssize_t count = read(master_, buffer, sizeof buffer);
        if (count <= 0) continue; // no slave open yet
        for (ssize_t i = 0; i < count; ++i) {
            if (buffer[i] != '\r') {
                frame += buffer[i];
                continue;
            }
            answer(frame);
            frame.clear();
        }
    }
}

void PtyPeer::answer(const std::string& frame) {
    const std::size_t start = frame.find('@');
    if (start == std::string::npos) return;
    const std::string request = frame.substr(start);
    if (request.size() < kCommandAt + kCrcLength) return;
    ++requests_;
    const std::string command =
        request.substr(kCommandAt, request.size() - kCommandAt - kCrcLength);
    if (request.substr(kAddressAt, 4) != address_ || command != "01") return;
    std::this_thread::sleep_for(delay_);
    const std::string reply =
        AppendCRC("%010000" + address_ + request.substr(kSequenceAt, 4) + "00") + "\r";
    if (write(master_, reply.data(), reply.size()) == static_cast<ssize_t>(reply.size()))
        ++replies_;
}
