#include "globalOptions.h"

#include "link/platform/networkAddress.h"
#include "link/transaction.h"
#include "options.h"
#include "portHelp.h"
#include "trust/folderTrust.h"

#include <regex>

namespace {

constexpr unsigned long kHighestComPort = 16;
constexpr unsigned long kLongestMinimumTimeoutMs = 5000; // as the Extend Timeout dialog allows

struct OfferedSpeed {
    const char* text;
    TComPortBaudRate rate;
};
// The speeds of the window's Baud menu.
constexpr OfferedSpeed kOfferedSpeeds[] = {
    {"1200", br1200},   {"2400", br2400},   {"4800", br4800},  {"9600", br9600},
    {"19200", br19200}, {"38400", br38400}, {"57600", br57600}};

std::vector<std::string> offeredSpeedTexts() {
    std::vector<std::string> texts;
    for (const OfferedSpeed& offered : kOfferedSpeeds)
        texts.emplace_back(offered.text);
    return texts;
}

TComPortBaudRate speedOf(const std::string& text) {
    for (const OfferedSpeed& offered : kOfferedSpeeds)
        if (text == offered.text) return offered.rate;
    return br38400; // unreachable: the option accepts only the offered speeds
}

const std::regex& comName() {
    static const std::regex name("COM([0-9]+)");
    return name;
}

// COMn within the tool's ports, a well-formed network port, or anything else as a device path.
CLI::Validator PortName() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            if (text.empty()) return "needs a value";
            if (looksLikeNetworkAddress(text)) return networkAddressProblem(text);
            std::smatch match;
            if (!std::regex_match(text, match, comName())) return {};
            std::string number = match[1].str();
            return DecimalRange(1, kHighestComPort)(number).empty()
                       ? std::string()
                       : "takes COM1 to COM" + std::to_string(kHighestComPort) +
                             " or a device path, not '" + text + "'";
        },
        "COMn|DEVICE|tcp://HOST:PORT|rfc2217://HOST:PORT", "PORT");
}

// A file that holds a minisign public key; a secret key or a signature is named as such.
CLI::Validator PublicKeyFile() {
    return CLI::Validator(
        [](std::string& path) -> std::string {
            const MinisignRead<MinisignKey> key = ReadTrustedKey(path);
            return key.value ? std::string() : path + " " + key.error;
        },
        "FILE", "MINISIGN-PUBLIC-KEY");
}

} // namespace

void addGlobalOptions(CLI::App& app, GlobalOptions& options) {
    app.add_option("--port", options.ports,
                   std::string(comPortHelp()) +
                       "; tcp://HOST:PORT is a raw network port of a device server (its speed "
                       "set there), rfc2217://HOST:PORT a Telnet COM-port one (speed sent from "
                       "here); anything else is a device path; given more than once (site and "
                       "survey only), each bus runs at once with its own session")
        ->check(PortName())
        ->allow_extra_args(false)
        ->capture_default_str();
    app.add_option("--baud", options.speed, "line speed")
        ->check(CLI::IsMember(offeredSpeedTexts()))
        ->capture_default_str();
    app.add_option("--min-timeout", options.minimumTimeoutMs, "minimum reply time-out in ms")
        ->check(DecimalRange(0, kLongestMinimumTimeoutMs))
        ->capture_default_str();
    app.add_option("--extra-attempts", options.extraAttempts,
                   "repeat a request whose reply is lost up to N more times wherever a repeat is "
                   "safe (0: each request only as often as its own retries say)")
        ->check(DecimalRange(0, Transaction::kMaxExtraAttempts))
        ->capture_default_str();
    app.add_option("--trusted-key", options.trustedKeyFile,
                   "minisign public key (minisign -G): SHA256SUMS in the working folder must then "
                   "carry its signature in SHA256SUMS.minisig, else no firmware file is sent")
        ->check(PublicKeyFile());
    app.add_option("--capture", options.captureFile,
                   "record every request and reply of the run into FILE (JSON Lines) to replay "
                   "it later with \"nexalo-cli replay FILE\"; with several --port, one file a "
                   "bus named as the comms logs are")
        ->type_name("FILE");
}

void applyPortOptions(const GlobalOptions& options, TSerialPort& port) {
    configureForTool(port);
    std::smatch match;
    if (std::regex_match(options.port, match, comName())) {
        port.setComPort(static_cast<TComPortNumber>(std::stoul(match[1].str()) - 1));
        port.setDevicePath("");
    } else {
        port.setDevicePath(options.port);
    }
    port.setComPortSpeed(speedOf(options.speed));
}

void setUpSession(const GlobalOptions& options, const std::string& port, LinkSession& session) {
    GlobalOptions bus = options;
    bus.port = port;
    applyPortOptions(bus, session.port());
    session.link().detectLogging();
    session.link().setMinimumTimeout(options.minimumTimeoutMs);
    session.link().setExtraAttempts(options.extraAttempts);
    session.setTrustSettings({options.trustedKeyFile});
}
