// The Telnet COM-port codec byte by byte.

#include "link/platform/network/telnetCodec.h"
#include "link/platform/network/comPortCommands.h"

#include <gtest/gtest.h>

using namespace telnet;

namespace {

// What ser2net 4.3 sends first on a telnet(rfc2217) port, as captured from it: WILL SGA, DO
// SGA, WILL ECHO, DONT ECHO, DO BINARY, WILL BINARY, DO COM-PORT-OPTION.
const Bytes kSer2netOpening = {255, 251, 3,   255, 253, 3,   255, 251, 1,   255, 254,
                               1,   255, 253, 0,   255, 251, 0,   255, 253, 44};

struct Decoded {
    Bytes data, answer;
};

Decoded decodeAll(Codec& codec, const Bytes& wire, std::size_t step) {
    Decoded out;
    for (std::size_t at = 0; at < wire.size(); at += step)
        codec.decode(wire.data() + at, std::min(step, wire.size() - at), out.data, out.answer);
    return out;
}

} // namespace

TEST(TelnetCodec, LineBytesSurviveEscapingWholeOrCutAnywhere) {
    const Bytes line = {'@', 0xFF, 0x00, 0xFF, 0xFF, '\r', 0xF0, 0xFA};
    Bytes wire;
    appendEscaped(line.data(), line.size(), wire);
    EXPECT_EQ(wire, (Bytes{'@', 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, '\r', 0xF0, 0xFA}));

    // Commands and notifications woven in carry no line bytes.
    Bytes mixed = {IAC, 241}; // NOP
    mixed.insert(mixed.end(), wire.begin(), wire.begin() + 3);
    mixed.insert(mixed.end(), {IAC, SB, kComPort, 107, 0xFF, 0xFF, IAC, SE});
    mixed.insert(mixed.end(), wire.begin() + 3, wire.end());
    mixed.insert(mixed.end(), {IAC, SB, kComPort, 112, 1, IAC, SE});
    for (const std::size_t step : {std::size_t{1}, std::size_t{2}, std::size_t{3}, mixed.size()}) {
        Codec codec;
        const Decoded decoded = decodeAll(codec, mixed, step);
        EXPECT_EQ(decoded.data, line) << "in pieces of " << step;
        EXPECT_TRUE(decoded.answer.empty());
        ASSERT_TRUE(codec.modemState());
        EXPECT_EQ(*codec.modemState(), 0xFF); // the escaped 0xFF of the notification
    }
}

TEST(TelnetCodec, NegotiationAgreesWithSer2netAndNeverLoops) {
    Codec codec;
    const Bytes opening = codec.opening();
    EXPECT_EQ(opening, (Bytes{IAC, WILL, 0, IAC, WILL, 3, IAC, WILL, 44, IAC, DO, 0, IAC, DO, 3}));
    EXPECT_EQ(codec.comPort(), OptionState::Asked);

    const Decoded first = decodeAll(codec, kSer2netOpening, kSer2netOpening.size());
    EXPECT_TRUE(first.data.empty());
    EXPECT_EQ(first.answer, (Bytes{IAC, DONT, 1})); // echo is the only thing turned down
    EXPECT_EQ(codec.comPort(), OptionState::On);

    // The server saying it all again asks for nothing more.
    const Decoded again = decodeAll(codec, kSer2netOpening, 1);
    EXPECT_EQ(again.answer, (Bytes{IAC, DONT, 1}));

    // A server without the option turns it down: the port cannot be used as one.
    Codec refused;
    refused.opening();
    const Bytes no = {IAC, DONT, 44, IAC, DO, 24};
    const Decoded answered = decodeAll(refused, no, no.size());
    EXPECT_TRUE(refused.comPortRefused());
    EXPECT_EQ(refused.comPort(), OptionState::Off);
    EXPECT_EQ(answered.answer, (Bytes{IAC, WONT, 24}));
}

TEST(TelnetCodec, AnOverlongSubnegotiationIsDroppedAndTheLineGoesOn) {
    Codec codec;
    Bytes wire = {IAC, SB, kComPort, 107};
    wire.insert(wire.end(), 100000, 0x55);
    wire.insert(wire.end(), {IAC, SE, 'o', 'k'});
    const Decoded decoded = decodeAll(codec, wire, 4096);
    EXPECT_EQ(decoded.data, (Bytes{'o', 'k'}));
}

TEST(ComPortCommands, SettingsGoAsTheOptionsNumbersWithTheirValuesEscaped) {
    LineSettings settings; // 38400 8N1, no handshake, RTS and DTR low
    const Bytes wire = lineSettingsCommands(settings);
    const Bytes expected = {IAC, SB, 44, 1, 0,  0,   0x96, 0x00, IAC, SE, // speed 38400
                            IAC, SB, 44, 2, 8,  IAC, SE,                  // 8 data bits
                            IAC, SB, 44, 3, 1,  IAC, SE,                  // no parity
                            IAC, SB, 44, 4, 1,  IAC, SE,                  // one stop bit
                            IAC, SB, 44, 5, 1,  IAC, SE,  // no outbound flow control
                            IAC, SB, 44, 5, 14, IAC, SE,  // no inbound flow control
                            IAC, SB, 44, 5, 12, IAC, SE,  // RTS off
                            IAC, SB, 44, 5, 9,  IAC, SE}; // DTR off
    EXPECT_EQ(wire, expected);

    settings.baud = 0x1FF; // a speed byte of 0xFF must not end the command
    settings.rts = RtsMode::Handshake;
    const Bytes handshake = lineSettingsCommands(settings);
    EXPECT_EQ(Bytes(handshake.begin(), handshake.begin() + 11),
              (Bytes{IAC, SB, 44, 1, 0, 0, 1, 0xFF, 0xFF, IAC, SE}));
    Codec reader; // the server's view: the escaped value reads back whole
    Decoded seen;
    reader.decode(handshake.data(), handshake.size(), seen.data, seen.answer);
    EXPECT_TRUE(seen.data.empty());
    EXPECT_EQ(purgeCommand(true, false), (Bytes{IAC, SB, 44, 12, 1, IAC, SE}));
    EXPECT_EQ(purgeCommand(true, true), (Bytes{IAC, SB, 44, 12, 3, IAC, SE}));
}
