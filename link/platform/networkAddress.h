#pragma once
// A serial line reached over the network, named as the flash tools technicians know name it:
// "tcp://HOST:PORT" (raw bytes) or "rfc2217://HOST:PORT" (Telnet with the COM-port option).
// HOST is a name, an IPv4 address or a bracketed IPv6 address.

#include <cstdint>
#include <optional>
#include <string>

enum class NetworkProtocol { RawTcp, Rfc2217 };

struct NetworkAddress {
    NetworkProtocol protocol = NetworkProtocol::RawTcp;
    std::string host; // without brackets
    std::uint16_t port = 0;
};

// Nothing unless the whole text is such an address with a port from 1 to 65535.
std::optional<NetworkAddress> parseNetworkAddress(const std::string& text);

// Whether the text names a network line at all (its scheme), however ill-formed the rest.
bool looksLikeNetworkAddress(const std::string& text);

// Why the text is no network address, in a line a user can act on; empty when it is one.
std::string networkAddressProblem(const std::string& text);
