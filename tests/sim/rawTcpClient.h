#pragma once
// A bare TCP client for talking to the simulator's socket byte by byte, without the tool's
// own port in between.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>

namespace simtest {

class RawTcpClient {
public:
    explicit RawTcpClient(std::uint16_t port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ =
            fd_ >= 0 && ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawTcpClient() {
        if (fd_ >= 0) ::close(fd_);
    }
    RawTcpClient(const RawTcpClient&) = delete;
    RawTcpClient& operator=(const RawTcpClient&) = delete;

    bool connected() const { return connected_; }
    bool send(const std::string& bytes) {
        return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(bytes.size());
    }
    // Bytes up to and without the next carriage return; empty after timeoutMs or at the end.
    std::string frame(int timeoutMs = 1000) {
        std::string line;
        for (char c; (c = next(timeoutMs)) != '\0' && c != '\r';)
            line.push_back(c);
        return line;
    }
    // True when the server closed the connection within timeoutMs.
    bool closedByServer(int timeoutMs = 1000) {
        pollfd fd{fd_, POLLIN, 0};
        char c;
        return ::poll(&fd, 1, timeoutMs) == 1 && ::recv(fd_, &c, 1, 0) <= 0;
    }

private:
    char next(int timeoutMs) {
        pollfd fd{fd_, POLLIN, 0};
        char c = '\0';
        if (::poll(&fd, 1, timeoutMs) != 1 || ::recv(fd_, &c, 1, 0) != 1) return '\0';
        return c;
    }

    int fd_ = -1;
    bool connected_ = false;
};

} // namespace simtest
