#pragma once
// The few socket calls the network ports make. BSD sockets and Winsock differ in names and
// error reporting only, so each platform has one small file behind this header.

#include <cstdint>
#include <string>

namespace net {

using Handle = std::intptr_t;
inline constexpr Handle kNoSocket = -1;

enum class ConnectProblem { None, NameNotFound, Refused, Unreachable, TimedOut, Other };

struct Connection {
    Handle handle = kNoSocket;
    ConnectProblem problem = ConnectProblem::None;
    std::string platformText; // the platform's words for the problem
};

// A non-blocking TCP connection with Nagle's delay off, tried on every address of the host
// within timeoutMs in all.
Connection connectTo(const std::string& host, std::uint16_t port, int timeoutMs);
void closeSocket(Handle handle);
// Ends the connection as a careful client does: the sending half is shut, so everything sent
// still goes and the end of the stream follows it; what the server sends meanwhile is read and
// dropped until it closes its side or boundMs pass; only then is the socket closed. A socket
// closed while unread bytes wait in its receive buffer ends with a reset, and a server that
// sees one may drop what it has not yet passed to the line.
void closeGracefully(Handle handle, int boundMs);

// Bytes the kernel took (0 when it would block); on failure -1, with the platform's words
// in fault.
int sendSome(Handle handle, const std::uint8_t* data, int count, std::string& fault);
// Bytes received (0 when none wait); -1 when the connection failed or the far end closed
// it, with the words in fault.
int receiveSome(Handle handle, std::uint8_t* buffer, int count, std::string& fault);

// Waits up to timeoutMs until the socket can be read (or written); true when it can, or when
// the connection has failed (the next call then says so).
bool waitFor(Handle handle, bool writable, int timeoutMs);

// Bytes handed to the kernel that have not left this machine yet; 0 where unknown.
int unsentBytes(Handle handle);

// Said when the device server closes the connection.
inline constexpr char kClosedByServer[] = "Connection closed by the device server";

} // namespace net
