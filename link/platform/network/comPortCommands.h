#pragma once
// The port's settings as COM-port option commands (RFC 2217) for the device server.

#include "link/platform/serialBackend.h"
#include "telnetCodec.h"

namespace telnet {

// Speed, data size, parity, stop bits, flow control in both directions, RTS unless the
// handshake drives it, and DTR: the whole line set-up, in that order.
Bytes lineSettingsCommands(const LineSettings& settings);
Bytes dtrCommand(bool on);
// Input: what the server has received from the line and not sent yet; output: what it has
// not yet put on the line.
Bytes purgeCommand(bool input, bool output);
// The modem-state byte of a notification as the port's signals.
ModemSignals modemSignalsOf(std::uint8_t state);

} // namespace telnet
