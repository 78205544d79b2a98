#include "maintenance.h"

#include "link/catalogue.h"
#include "link/operation.h"
#include "link/replyReader.h"

namespace {

constexpr char kBroadcastLa[] = "FF";

// A reply that is a bare status reply with none of the failure bits set.
bool statusReplyWithout(const std::string& answer, std::uint8_t failureBits) {
    return reply::isStatusReply(answer) && (reply::statusByte(answer) & failureBits) == 0;
}

Outcome tell(const OperationContext& context, bool done) {
    context.console.message(MessageKind::Plain,
                            done ? maintenanceText::Done : maintenanceText::Failed);
    if (done) return Outcome::completed();
    if (context.link.lineLost()) return Outcome::lineLost();
    return Outcome::failed(maintenanceText::Failed);
}

// A command that reports no outcome: it did all it could unless the line failed under it.
Outcome sent(const OperationContext& context) {
    return context.link.lineLost() ? Outcome::lineLost() : Outcome::completed();
}

Outcome portNotOpened() {
    return Outcome::failed(PortSession::kOpenFailed);
}

std::string send(const OperationContext& context, const std::string& address,
                 const std::string& command, TimeoutRetries use) {
    return context.link.TxMessage(address, command, use).text;
}

} // namespace

std::string escapeMessageLine(std::string_view line) {
    std::string escaped;
    escaped.reserve(line.size() * 2);
    for (char c : line) {
        if (c == '\\' || c == '"') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

std::string quotedMessage(const std::array<std::string, 3>& lines) {
    std::string text = "\"";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += "\",\"";
        text += escapeMessageLine(lines[i]);
    }
    return text + "\"";
}

std::string setLaVerificationAddress(const SetLaSettings& settings) {
    return settings.controller ? addr::controller(settings.newLa) : settings.newLa;
}

Outcome setLogicalAddress(const OperationContext& context, const SetLaSettings& settings) {
    PortSession session(context.link);
    if (!session.opened()) return portNotOpened();
    const std::string_view newLa(settings.newLa);
    // Every unit of the rank hears the request; only the one with that fixed address acts.
    const std::string destination = settings.controller ? std::string(addr::AllControllers)
                                                        : addr::allTerminalsOf(newLa.substr(0, 2));
    const std::string_view la = settings.controller ? newLa.substr(0, 2) : newLa.substr(2, 2);
    send(context, destination, cmd::newLa(settings.fixedAddress, la), tr::SetLa);
    // A request that did not leave changed no LA. The unit is not asked either: it may still
    // answer at that address from an earlier change.
    if (!context.link.lastResult().left()) return tell(context, false);

    const std::string verifyAt = setLaVerificationAddress(settings);
    // Nothing verifies a broadcast.
    if (verifyAt.find(kBroadcastLa) != std::string::npos) return tell(context, true);
    const std::string answer = send(context, verifyAt, cmd::StatusPoll, tr::SetLaVerify);
    return tell(context, statusReplyWithout(answer, reply::LaChangeFailed));
}

Outcome setDefaultMessage(const OperationContext& context, const DefaultMessageSettings& settings) {
    PortSession session(context.link);
    if (!session.opened()) return portNotOpened();
    const std::string command = cmd::defaultMessage(quotedMessage(settings.lines));
    send(context, addr::controller(settings.controllerLa), command, tr::SetMessage);
    // Its terminals show the message too; nobody answers a broadcast.
    send(context, addr::allTerminalsOf(settings.controllerLa), command, tr::FireAndForget);
    return sent(context);
}

Outcome configurePort2(const OperationContext& context, const Port2Settings& settings) {
    PortSession session(context.link);
    if (!session.opened()) return portNotOpened();
    const std::string answer = send(context, addr::controller(settings.controllerLa),
                                    cmd::port2(settings.rs485), tr::Port2);
    return tell(context, statusReplyWithout(answer, reply::PortConfigFailed));
}

Outcome clearControllerMemory(const OperationContext& context,
                              const ClearMemorySettings& settings) {
    PortSession session(context.link);
    if (!session.opened()) return portNotOpened();
    const std::string destination = settings.allControllers
                                        ? std::string(addr::AllControllers)
                                        : addr::controller(settings.controllerLa);
    if (!context.console.confirm(maintenanceText::AreYouSure))
        return Outcome::refused(maintenanceText::Declined);
    send(context, destination, cmd::ClearMemory, tr::FireAndForget);
    // The notice would promise a reset that the request, never sent, cannot bring.
    if (!context.link.lastResult().left()) return tell(context, false);
    context.link.pause(delay::ClearMemoryNotice);
    context.console.message(MessageKind::Plain, maintenanceText::ClearMemoryNotice);
    return sent(context);
}

Outcome resetNetwork(const OperationContext& context) {
    TSerialPort& port = context.link.port();
    const bool opened = port.OpenPort().opened;
    send(context, addr::AllTerminals, cmd::Reset, tr::FireAndForget);
    send(context, addr::AllControllers, cmd::Reset, tr::FireAndForget);
    port.ClosePort();
    return opened ? sent(context) : portNotOpened();
}
