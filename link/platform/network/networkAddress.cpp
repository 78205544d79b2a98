#include "networkAddress.h"

#include <algorithm>
#include <string_view>

namespace {

constexpr std::string_view kTcpScheme = "tcp://";
constexpr std::string_view kRfc2217Scheme = "rfc2217://";
constexpr unsigned long kHighestPort = 65535;

std::optional<NetworkScheme> schemeOf(std::string_view text) {
    if (text.starts_with(kTcpScheme)) return NetworkScheme::RawTcp;
    if (text.starts_with(kRfc2217Scheme)) return NetworkScheme::Rfc2217;
    return std::nullopt;
}

std::optional<std::uint16_t> portNumber(std::string_view digits) {
    if (digits.empty() || digits.size() > 5 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const unsigned long value = std::stoul(std::string(digits));
    if (value == 0 || value > kHighestPort) return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

// "HOST:PORT" or "[IPv6]:PORT": the host and the port text, split at the last colon.
std::optional<std::pair<std::string, std::string_view>> splitHostPort(std::string_view rest) {
    if (rest.starts_with('[')) {
        const std::size_t close = rest.find(']');
        if (close == std::string_view::npos || close + 1 >= rest.size() || rest[close + 1] != ':')
            return std::nullopt;
        return std::make_pair(std::string(rest.substr(1, close - 1)), rest.substr(close + 2));
    }
    const std::size_t colon = rest.rfind(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const std::string_view host = rest.substr(0, colon);
    // An IPv6 literal must be bracketed, or its own colons would be taken for the port's.
    if (host.find(':') != std::string_view::npos) return std::nullopt;
    return std::make_pair(std::string(host), rest.substr(colon + 1));
}

bool plausibleHost(const std::string& host) {
    return !host.empty() && std::none_of(host.begin(), host.end(), [](char c) {
        return c == '/' || c == '@' || c == '?' || c == '#' || c == ' ' || c == '\\';
    });
}

} // namespace

bool namesNetworkPort(const std::string& name) {
    return schemeOf(name).has_value();
}

std::optional<NetworkAddress> parseNetworkAddress(const std::string& text) {
    const std::optional<NetworkScheme> scheme = schemeOf(text);
    if (!scheme) return std::nullopt;
    const std::size_t schemeLength =
        *scheme == NetworkScheme::RawTcp ? kTcpScheme.size() : kRfc2217Scheme.size();
    const auto parts = splitHostPort(std::string_view(text).substr(schemeLength));
    if (!parts || !plausibleHost(parts->first)) return std::nullopt;
    const std::optional<std::uint16_t> port = portNumber(parts->second);
    if (!port) return std::nullopt;
    return NetworkAddress{*scheme, parts->first, *port};
}

std::string networkAddressProblem(const std::string& text) {
    if (parseNetworkAddress(text)) return {};
    return "'" + text +
           "' is no network port: write tcp://HOST:PORT or rfc2217://HOST:PORT, with a port "
           "from 1 to 65535 (an IPv6 host in brackets)";
}
