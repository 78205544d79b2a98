#ifndef _WIN32

#include "socketApi.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#ifdef __linux__
#include <linux/sockios.h>
#endif

namespace net {

namespace {

ConnectProblem problemOf(int error) {
    switch (error) {
    case ECONNREFUSED:
        return ConnectProblem::Refused;
    case ENETUNREACH:
    case EHOSTUNREACH:
    case ENETDOWN:
    case EHOSTDOWN:
        return ConnectProblem::Unreachable;
    case ETIMEDOUT:
        return ConnectProblem::TimedOut;
    default:
        return ConnectProblem::Other;
    }
}

int millisecondsLeft(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<long long>(left.count(), 0));
}

// Connects one address; the socket, or kNoSocket with the errno of the failure.
Handle connectOne(const addrinfo& address, std::chrono::steady_clock::time_point deadline,
                  int& error) {
    const int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                            address.ai_protocol);
    if (fd < 0) {
        error = errno;
        return kNoSocket;
    }
    error = 0;
    if (::connect(fd, address.ai_addr, address.ai_addrlen) != 0) {
        error = errno;
        if (error == EINPROGRESS) {
            pollfd entry{fd, POLLOUT, 0};
            const int ready = ::poll(&entry, 1, millisecondsLeft(deadline));
            socklen_t length = sizeof error;
            if (ready == 0)
                error = ETIMEDOUT;
            else if (ready < 0)
                error = errno;
            else if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
                error = errno;
        }
    }
    if (error != 0) {
        ::close(fd);
        return kNoSocket;
    }
    // Every frame is one small write awaiting a reply: Nagle's delay would hold each one back.
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return fd;
}

} // namespace

Connection connectTo(const std::string& host, std::uint16_t port, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_ADDRCONFIG;
    addrinfo* found = nullptr;
    const int lookup = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (lookup != 0) {
        const bool system = lookup == EAI_SYSTEM;
        return {kNoSocket, system ? ConnectProblem::Other : ConnectProblem::NameNotFound,
                system ? std::strerror(errno) : ::gai_strerror(lookup)};
    }
    Connection result{kNoSocket, ConnectProblem::Other, "no address"};
    for (const addrinfo* address = found; address; address = address->ai_next) {
        int error = 0;
        const Handle handle = connectOne(*address, deadline, error);
        if (handle != kNoSocket) {
            result = {handle, ConnectProblem::None, {}};
            break;
        }
        result = {kNoSocket, problemOf(error), std::strerror(error)};
        if (millisecondsLeft(deadline) == 0) break;
    }
    ::freeaddrinfo(found);
    return result;
}

void closeSocket(Handle handle) {
    if (handle != kNoSocket) ::close(static_cast<int>(handle));
}

void closeGracefully(Handle handle, int boundMs) {
    if (handle == kNoSocket) return;
    const int fd = static_cast<int>(handle);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    if (::shutdown(fd, SHUT_WR) == 0) {
        std::uint8_t dropped[4096];
        for (;;) {
            const ssize_t got = ::recv(fd, dropped, sizeof dropped, MSG_DONTWAIT);
            if (got > 0) continue;
            if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) break;
            pollfd entry{fd, POLLIN, 0};
            const int left = millisecondsLeft(deadline);
            if (left == 0 || ::poll(&entry, 1, left) < 0) break;
        }
    }
    ::close(fd);
}

int sendSome(Handle handle, const std::uint8_t* data, int count, std::string& fault) {
    // MSG_NOSIGNAL: a connection the server has closed must fail the write, not end the program.
    const ssize_t sent = ::send(static_cast<int>(handle), data, static_cast<std::size_t>(count),
                                MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent >= 0) return static_cast<int>(sent);
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return 0;
    fault = std::strerror(errno);
    return -1;
}

int receiveSome(Handle handle, std::uint8_t* buffer, int count, std::string& fault) {
    const ssize_t got =
        ::recv(static_cast<int>(handle), buffer, static_cast<std::size_t>(count), MSG_DONTWAIT);
#ifdef TCP_QUICKACK
    // Acknowledged at once: a device server that keeps Nagle's delay on holds the rest of a
    // reply until its first piece is acknowledged, which a delayed acknowledgement makes 40 ms.
    // The kernel forgets the setting as it pleases, so it is renewed after every read.
    if (got > 0) {
        const int on = 1;
        ::setsockopt(static_cast<int>(handle), IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
    }
#endif
    if (got > 0) return static_cast<int>(got);
    if (got == 0) {
        fault = kClosedByServer;
        return -1;
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return 0;
    fault = std::strerror(errno);
    return -1;
}

bool waitFor(Handle handle, bool writable, int timeoutMs) {
    pollfd entry{static_cast<int>(handle), static_cast<short>(writable ? POLLOUT : POLLIN), 0};
    return ::poll(&entry, 1, timeoutMs) > 0;
}

int unsentBytes(Handle handle) {
#ifdef SIOCOUTQNSD
    int count = 0;
    if (::ioctl(static_cast<int>(handle), SIOCOUTQNSD, &count) == 0) return count;
#else
    (void)handle;
#endif
    return 0;
}

} // namespace net

#endif
