#include "comPortCommands.h"

namespace telnet {

namespace {

// SET-CONTROL values.
enum Control : std::uint8_t {
    OutboundNone = 1,
    OutboundXonXoff = 2,
    OutboundHardware = 3,
    DtrOn = 8,
    DtrOff = 9,
    RtsOn = 11,
    RtsOff = 12,
    InboundNone = 14,
    InboundXonXoff = 15,
    InboundHardware = 16,
};

std::uint8_t parityValue(Parity parity) {
    switch (parity) {
    case Parity::None:
        return 1;
    case Parity::Odd:
        return 2;
    case Parity::Even:
        return 3;
    case Parity::Mark:
        return 4;
    case Parity::Space:
        return 5;
    }
    return 1;
}

std::uint8_t stopSizeValue(StopBits bits) {
    switch (bits) {
    case StopBits::One:
        return 1;
    case StopBits::Two:
        return 2;
    case StopBits::OneAndHalf:
        return 3;
    }
    return 1;
}

void append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}

void control(Bytes& out, std::uint8_t value) {
    append(out, comPortCommand(SetControl, {value}));
}

} // namespace

Bytes lineSettingsCommands(const LineSettings& settings) {
    const std::uint32_t baud = settings.baud;
    Bytes out = comPortCommand(
        SetBaudRate, {static_cast<std::uint8_t>(baud >> 24), static_cast<std::uint8_t>(baud >> 16),
                      static_cast<std::uint8_t>(baud >> 8), static_cast<std::uint8_t>(baud)});
    append(out, comPortCommand(SetDataSize, {static_cast<std::uint8_t>(settings.dataBits)}));
    append(out, comPortCommand(SetParity, {parityValue(settings.parity)}));
    append(out, comPortCommand(SetStopSize, {stopSizeValue(settings.stopBits)}));
    const bool hardware = settings.rts == RtsMode::Handshake;
    control(out, hardware ? OutboundHardware : settings.xonXoff ? OutboundXonXoff : OutboundNone);
    control(out, hardware ? InboundHardware : settings.xonXoff ? InboundXonXoff : InboundNone);
    if (!hardware) control(out, settings.rts == RtsMode::On ? RtsOn : RtsOff);
    append(out, dtrCommand(settings.dtrOn));
    return out;
}

Bytes dtrCommand(bool on) {
    return comPortCommand(SetControl, {on ? DtrOn : DtrOff});
}

Bytes purgeCommand(bool input, bool output) {
    const std::uint8_t which = (input ? 1 : 0) | (output ? 2 : 0);
    return comPortCommand(PurgeData, {which});
}

ModemSignals modemSignalsOf(std::uint8_t state) {
    ModemSignals signals;
    signals.cts = (state & 0x10) != 0;
    signals.dsr = (state & 0x20) != 0;
    signals.ring = (state & 0x40) != 0;
    signals.carrierDetect = (state & 0x80) != 0;
    return signals;
}

} // namespace telnet
