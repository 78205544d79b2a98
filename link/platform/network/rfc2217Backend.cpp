#include "rfc2217Backend.h"

#include "comPortCommands.h"
#include "connectFailure.h"

#include <algorithm>

// The option commands go only once the server has agreed to the option: a server that has
// not may take them for line bytes. A server that is slow to answer is still a server: one
// that serves a single client answers only once it has finished with the last one (pyserial's
// example takes up to 3 s), and one that never negotiates still passes the line's bytes. So an
// answer that does not come in time opens the port all the same, and the negotiation goes on
// as the answers arrive; only a server that closes the connection or refuses the option fails
// the open.
bool Rfc2217Backend::setUp(Deadline deadline) {
    codec_ = telnet::Codec();
    heldSettings_.reset();
    heldDtr_.reset();
    sendNow(codec_.opening());
    while (codec_.comPort() == telnet::OptionState::Asked) {
        if (!lineFault().empty()) {
            const std::string said = receivedText();
            failOpen(said.empty() ? describeNoComPort(address(), lineFault())
                                  : describeTurnedAway(address(), said, lineFault()));
            return false;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return true;
        awaitBytes(static_cast<int>(std::min<long long>(left.count(), 50)));
    }
    if (agreed()) return true;
    failOpen(describeNoComPort(address(), "the device server refused the COM-port option"));
    return false;
}

// Said only while the server has still not agreed when the run begins.
std::string Rfc2217Backend::openNote() const {
    if (!isOpen() || agreed() || codec_.comPortRefused()) return {};
    return "Network port " + address() + ": no Telnet answer within " +
           std::to_string(kConnectTimeoutMs / 1000) +
           " s; the line's speed and framing are those set on the device server until it "
           "answers.";
}

void Rfc2217Backend::takeReceived(const std::uint8_t* wire, std::size_t count) {
    const bool wasAgreed = agreed();
    telnet::Bytes data, answer;
    codec_.decode(wire, count, data, answer);
    queueInput(data);
    outgoing().insert(outgoing().end(), answer.begin(), answer.end());
    if (wasAgreed || !agreed()) return;
    telnet::Bytes held;
    if (heldSettings_) held = telnet::lineSettingsCommands(*heldSettings_);
    if (heldDtr_) {
        const telnet::Bytes dtr = telnet::dtrCommand(*heldDtr_);
        held.insert(held.end(), dtr.begin(), dtr.end());
    }
    outgoing().insert(outgoing().end(), held.begin(), held.end());
    heldSettings_.reset();
    heldDtr_.reset();
}

void Rfc2217Backend::encode(const std::uint8_t* data, std::size_t count) {
    telnet::appendEscaped(data, count, outgoing());
}

bool Rfc2217Backend::configure(const LineSettings& settings) {
    if (!isOpen()) return false;
    if (!agreed()) {
        heldSettings_ = settings;
        heldDtr_.reset(); // the settings carry DTR
        return lineFault().empty();
    }
    sendNow(telnet::lineSettingsCommands(settings));
    return lineFault().empty();
}

// A purge the server cannot take yet has nothing of this run to purge.
void Rfc2217Backend::purge(bool input, bool output) {
    if (!isOpen() || (!input && !output)) return;
    NetworkBackend::purge(input, output);
    if (agreed()) sendNow(telnet::purgeCommand(input, output));
}

bool Rfc2217Backend::setDtr(bool on) {
    if (!isOpen()) return false;
    if (!agreed()) {
        heldDtr_ = on;
        return lineFault().empty();
    }
    sendNow(telnet::dtrCommand(on));
    return lineFault().empty();
}

std::optional<ModemSignals> Rfc2217Backend::modemSignals() {
    const std::optional<std::uint8_t> state = codec_.modemState();
    if (!isOpen() || !state) return std::nullopt;
    return telnet::modemSignalsOf(*state);
}
