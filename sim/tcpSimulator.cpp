#include "sim/tcpSimulator.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace sim {

namespace {
constexpr int kIdlePollMs = 2;

void closeQuietly(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}
} // namespace

TcpSimulator::TcpSimulator(Network network, PtyOptions options)
    : simulator_(std::move(network)), line_(options) {}

TcpSimulator::~TcpSimulator() {
    stop();
}

std::uint64_t TcpSimulator::nowUs() const {
    return steadyUs() - startUs_;
}

bool TcpSimulator::listenOn(const std::string& host, std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) {
        error_ = "cannot listen on '" + host + "': not an IPv4 address";
        return false;
    }
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    int yes = 1;
    if (listener_ < 0 || setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) != 0 ||
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 4) != 0) {
        error_ =
            "cannot listen on " + host + ":" + std::to_string(port) + ": " + std::strerror(errno);
        closeQuietly(listener_);
        return false;
    }
    socklen_t length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    host_ = host;
    return true;
}

std::optional<std::string> TcpSimulator::start(const std::string& host, std::uint16_t port) {
    if (!thread_.joinable()) {
        if (!listenOn(host, port)) return std::nullopt;
        startUs_ = steadyUs();
        stopping_ = false;
        thread_ = std::thread([this] { serve(); });
    }
    return "tcp://" + host_ + ":" + std::to_string(port_);
}

void TcpSimulator::stop() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    closeClient();
    closeQuietly(listener_);
}

void TcpSimulator::closeClient() {
    closeQuietly(client_);
    // Whatever was half received or still on its way went with the connection.
    line_.reset();
}

void TcpSimulator::acceptClient() {
    int accepted = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (accepted < 0) return;
    if (client_ >= 0) {
        ++clientsTurnedAway_;
        ::close(accepted);
        return;
    }
    // Replies go out as soon as they are due, not when a segment fills.
    int yes = 1;
    setsockopt(accepted, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    client_ = accepted;
    ++clientsServed_;
}

void TcpSimulator::receive(std::uint64_t now) {
    char buffer[4096];
    ssize_t n = ::recv(client_, buffer, sizeof buffer, 0);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
        closeClient();
        return;
    }
    if (n < 0) return;
    auto answer = [this](const std::string& frame,
                         std::uint64_t nowMs) -> std::optional<std::vector<OutgoingReply>> {
        std::lock_guard<std::mutex> lock(mutex_);
        if (handler_) return handler_(frame, nowMs);
        return simulator_.receiveFrame(frame, nowMs);
    };
    // A replay cuts the line where the recorded one was lost.
    if (!line_.receive(buffer, static_cast<std::size_t>(n), now, answer)) closeClient();
}

void TcpSimulator::sendDue(std::uint64_t now) {
    if (client_ < 0) return;
    std::string due = line_.takeDue(now);
    if (due.empty()) return;
    ssize_t n = ::send(client_, due.data(), due.size(), MSG_NOSIGNAL);
    if (n < 0 && errno != EAGAIN) {
        closeClient();
        return;
    }
    std::size_t written = n > 0 ? static_cast<std::size_t>(n) : 0;
    if (written < due.size()) line_.giveBack(due.substr(written), now);
}

void TcpSimulator::serve() {
    while (!stopping_) {
        if (dropRequested_.exchange(false)) closeClient();
        std::uint64_t now = nowUs();
        sendDue(now);
        pollfd fds[2] = {{listener_, POLLIN, 0}, {client_, POLLIN, 0}};
        const nfds_t count = client_ >= 0 ? 2 : 1;
        std::uint64_t waitUs = line_.waitUs(now, kIdlePollMs * 1000);
        timespec timeout{0, static_cast<long>(waitUs * 1000)};
        if (ppoll(fds, count, &timeout, nullptr) <= 0) continue;
        // The client first: one that has just left makes room for one now knocking.
        if (count == 2 && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))) receive(nowUs());
        if (fds[0].revents & POLLIN) acceptClient();
    }
}

std::optional<Unit> TcpSimulator::unit(const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    const Unit* found = simulator_.unit(name);
    if (found == nullptr) return std::nullopt;
    return *found;
}

} // namespace sim
