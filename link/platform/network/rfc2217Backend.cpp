#include "rfc2217Backend.h"

#include "comPortCommands.h"
#include "connectFailure.h"

#include <algorithm>

// The option commands go only once the server has agreed to the option: a server that has
// not may take them for line bytes.
bool Rfc2217Backend::setUp(Deadline deadline) {
    codec_ = telnet::Codec();
    sendNow(codec_.opening());
    while (codec_.comPort() == telnet::OptionState::Asked) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (!lineFault().empty()) {
            const std::string said = receivedText();
            failOpen(said.empty() ? describeNoComPort(address(), lineFault())
                                  : describeTurnedAway(address(), said, lineFault()));
            return false;
        }
        if (left.count() <= 0) {
            failOpen(describeNoComPort(address(), "no Telnet answer within " +
                                                      std::to_string(kConnectTimeoutMs / 1000) +
                                                      " s"));
            return false;
        }
        awaitBytes(static_cast<int>(std::min<long long>(left.count(), 50)));
    }
    if (codec_.comPort() == telnet::OptionState::On) return true;
    failOpen(describeNoComPort(address(), "the device server refused the COM-port option"));
    return false;
}

void Rfc2217Backend::takeReceived(const std::uint8_t* wire, std::size_t count) {
    telnet::Bytes data, answer;
    codec_.decode(wire, count, data, answer);
    queueInput(data);
    outgoing().insert(outgoing().end(), answer.begin(), answer.end());
}

void Rfc2217Backend::encode(const std::uint8_t* data, std::size_t count) {
    telnet::appendEscaped(data, count, outgoing());
}

bool Rfc2217Backend::configure(const LineSettings& settings) {
    if (!isOpen()) return false;
    sendNow(telnet::lineSettingsCommands(settings));
    return lineFault().empty();
}

void Rfc2217Backend::purge(bool input, bool output) {
    if (!isOpen() || (!input && !output)) return;
    NetworkBackend::purge(input, output);
    sendNow(telnet::purgeCommand(input, output));
}

bool Rfc2217Backend::setDtr(bool on) {
    if (!isOpen()) return false;
    sendNow(telnet::dtrCommand(on));
    return lineFault().empty();
}

std::optional<ModemSignals> Rfc2217Backend::modemSignals() {
    const std::optional<std::uint8_t> state = codec_.modemState();
    if (!isOpen() || !state) return std::nullopt;
    return telnet::modemSignalsOf(*state);
}
