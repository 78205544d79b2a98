#include "networkAddress.h"

#include <charconv>
#include <string_view>

namespace {

struct Scheme {
    std::string_view prefix;
    NetworkProtocol protocol;
};
constexpr Scheme kSchemes[] = {{"tcp://", NetworkProtocol::RawTcp},
                               {"rfc2217://", NetworkProtocol::Rfc2217}};

std::optional<std::uint16_t> portNumber(std::string_view text) {
    unsigned value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value == 0 ||
        value > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

// "host:port" or "[v6]:port"; the host may hold no blank, slash or further colon.
bool splitHostPort(std::string_view rest, NetworkAddress& address) {
    std::size_t colon = rest.rfind(':');
    if (colon == std::string_view::npos) return false;
    std::string_view host = rest.substr(0, colon);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    else if (host.find(':') != std::string_view::npos)
        return false;
    if (host.empty() || host.find_first_of(" /\t[]") != std::string_view::npos) return false;
    std::optional<std::uint16_t> port = portNumber(rest.substr(colon + 1));
    if (!port) return false;
    address.host = host;
    address.port = *port;
    return true;
}

} // namespace

std::optional<NetworkAddress> parseNetworkAddress(const std::string& text) {
    for (const Scheme& scheme : kSchemes) {
        if (!std::string_view(text).starts_with(scheme.prefix)) continue;
        NetworkAddress address;
        address.protocol = scheme.protocol;
        if (!splitHostPort(std::string_view(text).substr(scheme.prefix.size()), address))
            return std::nullopt;
        return address;
    }
    return std::nullopt;
}

bool looksLikeNetworkAddress(const std::string& text) {
    for (const Scheme& scheme : kSchemes)
        if (std::string_view(text).starts_with(scheme.prefix)) return true;
    return false;
}

std::string networkAddressProblem(const std::string& text) {
    if (parseNetworkAddress(text)) return {};
    return "'" + text +
           "' is no network port: write tcp://HOST:PORT or rfc2217://HOST:PORT, with a port "
           "from 1 to 65535 (an IPv6 host in brackets)";
}
