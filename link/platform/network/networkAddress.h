#pragma once
// The network ports a technician can name instead of a serial device: tcp://HOST:PORT, the
// bytes of the line over a plain TCP connection, and rfc2217://HOST:PORT, Telnet with the
// COM-port option, which also carries the line settings to the device server.

#include <cstdint>
#include <optional>
#include <string>

enum class NetworkScheme { RawTcp, Rfc2217 };

struct NetworkAddress {
    NetworkScheme scheme = NetworkScheme::RawTcp;
    std::string host; // without the brackets of an IPv6 literal
    std::uint16_t port = 0;
};

// True when the name starts with one of the network schemes, well formed or not: such a name
// is never a device path.
bool namesNetworkPort(const std::string& name);

// The address, or nothing when the text is no well-formed network port.
std::optional<NetworkAddress> parseNetworkAddress(const std::string& text);

// Why the text is no network port, in a line a user can act on; empty when it is one.
std::string networkAddressProblem(const std::string& text);
