#ifdef _WIN32

#include "socketApi.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>

namespace net {

namespace {

// Winsock must be started once per process before the first call.
bool winsockReady() {
    static const bool ready = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ready;
}

std::string textOf(int error) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string words =
        length > 0 && text ? std::string(text, length) : "error " + std::to_string(error);
    LocalFree(text);
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == '.'))
        words.pop_back();
    return words;
}

ConnectProblem problemOf(int error) {
    switch (error) {
    case WSAECONNREFUSED:
        return ConnectProblem::Refused;
    case WSAENETUNREACH:
    case WSAEHOSTUNREACH:
    case WSAENETDOWN:
    case WSAEHOSTDOWN:
        return ConnectProblem::Unreachable;
    case WSAETIMEDOUT:
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

Handle connectOne(const addrinfo& address, std::chrono::steady_clock::time_point deadline,
                  int& error) {
    const SOCKET s = ::socket(address.ai_family, address.ai_socktype, address.ai_protocol);
    if (s == INVALID_SOCKET) {
        error = WSAGetLastError();
        return kNoSocket;
    }
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    error = 0;
    if (::connect(s, address.ai_addr, static_cast<int>(address.ai_addrlen)) != 0) {
        error = WSAGetLastError();
        if (error == WSAEWOULDBLOCK) {
            WSAPOLLFD entry{s, POLLOUT, 0};
            const int ready = WSAPoll(&entry, 1, millisecondsLeft(deadline));
            int length = sizeof error;
            if (ready == 0)
                error = WSAETIMEDOUT;
            else if (ready < 0)
                error = WSAGetLastError();
            else if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error),
                                &length) != 0)
                error = WSAGetLastError();
        }
    }
    if (error != 0) {
        closesocket(s);
        return kNoSocket;
    }
    const BOOL on = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    return static_cast<Handle>(s);
}

} // namespace

Connection connectTo(const std::string& host, std::uint16_t port, int timeoutMs) {
    if (!winsockReady()) return {kNoSocket, ConnectProblem::Other, "Winsock did not start"};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int lookup = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (lookup != 0) return {kNoSocket, ConnectProblem::NameNotFound, textOf(lookup)};
    Connection result{kNoSocket, ConnectProblem::Other, "no address"};
    for (const addrinfo* address = found; address; address = address->ai_next) {
        int error = 0;
        const Handle handle = connectOne(*address, deadline, error);
        if (handle != kNoSocket) {
            result = {handle, ConnectProblem::None, {}};
            break;
        }
        result = {kNoSocket, problemOf(error), textOf(error)};
        if (millisecondsLeft(deadline) == 0) break;
    }
    freeaddrinfo(found);
    return result;
}

void closeSocket(Handle handle) {
    if (handle != kNoSocket) closesocket(static_cast<SOCKET>(handle));
}

void closeGracefully(Handle handle, int boundMs) {
    if (handle == kNoSocket) return;
    const SOCKET s = static_cast<SOCKET>(handle);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    if (shutdown(s, SD_SEND) == 0) {
        char dropped[4096];
        for (;;) {
            const int got = ::recv(s, dropped, sizeof dropped, 0);
            if (got > 0) continue;
            if (got == 0) break;
            const int error = WSAGetLastError();
            if (error != WSAEWOULDBLOCK && error != WSAEINTR) break;
            WSAPOLLFD entry{s, POLLRDNORM, 0};
            const int left = millisecondsLeft(deadline);
            if (left == 0 || WSAPoll(&entry, 1, left) == SOCKET_ERROR) break;
        }
    }
    closesocket(s);
}

int sendSome(Handle handle, const std::uint8_t* data, int count, std::string& fault) {
    const int sent =
        ::send(static_cast<SOCKET>(handle), reinterpret_cast<const char*>(data), count, 0);
    if (sent >= 0) return sent;
    const int error = WSAGetLastError();
    if (error == WSAEWOULDBLOCK || error == WSAEINTR) return 0;
    fault = textOf(error);
    return -1;
}

int receiveSome(Handle handle, std::uint8_t* buffer, int count, std::string& fault) {
    const int got = ::recv(static_cast<SOCKET>(handle), reinterpret_cast<char*>(buffer), count, 0);
    if (got > 0) return got;
    if (got == 0) {
        fault = kClosedByServer;
        return -1;
    }
    const int error = WSAGetLastError();
    if (error == WSAEWOULDBLOCK || error == WSAEINTR) return 0;
    fault = textOf(error);
    return -1;
}

bool waitFor(Handle handle, bool writable, int timeoutMs) {
    WSAPOLLFD entry{static_cast<SOCKET>(handle),
                    static_cast<SHORT>(writable ? POLLOUT : POLLRDNORM), 0};
    return WSAPoll(&entry, 1, timeoutMs) > 0;
}

// Winsock does not say how much of the send buffer has left the machine.
int unsentBytes(Handle) {
    return 0;
}

} // namespace net

#endif
