#pragma once
// Telnet as a device server speaks it for a serial port (RFC 854 with the COM-port option of
// RFC 2217), at the level of bytes: no sockets, no clock. The client's side only.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>

namespace telnet {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint8_t IAC = 255, DONT = 254, DO = 253, WONT = 252, WILL = 251, SB = 250,
                              SE = 240;
inline constexpr std::uint8_t kBinary = 0, kSuppressGoAhead = 3, kComPort = 44;

// COM-PORT-OPTION commands from client to server; the server's answers add 100.
enum ComPortCommand : std::uint8_t {
    SetBaudRate = 1,
    SetDataSize = 2,
    SetParity = 3,
    SetStopSize = 4,
    SetControl = 5,
    NotifyModemState = 7,
    PurgeData = 12,
};
inline constexpr std::uint8_t kServerOffset = 100;

// Line bytes as they go on the wire: every 0xFF doubled, so it is not read as a command.
void appendEscaped(const std::uint8_t* data, std::size_t count, Bytes& wire);
// IAC SB COM-PORT-OPTION command value IAC SE, the value escaped.
Bytes comPortCommand(std::uint8_t command, std::initializer_list<std::uint8_t> value);

enum class OptionState { Off, Asked, On };

// Reads what the server sends: line bytes apart from commands, answers to its negotiation, the
// fate of the COM-port option, and the modem lines it reports.
class Codec {
public:
    // The client's opening: it will send binary and without go-ahead, asks the server to do
    // the same, and offers the COM-port option.
    Bytes opening();

    // Wire bytes from the server: line bytes go to data, what the client must answer to answer.
    // A command split across calls is taken up where it stopped.
    void decode(const std::uint8_t* wire, std::size_t count, Bytes& data, Bytes& answer);

    // Asked after opening(); On once the server agreed, Off when it refused.
    OptionState comPort() const { return local_[kComPort]; }
    bool comPortRefused() const { return comPortRefused_; }
    // The modem-state byte of the server's last notification (CTS 0x10, DSR 0x20, RI 0x40, CD
    // 0x80).
    std::optional<std::uint8_t> modemState() const { return modemState_; }

private:
    enum class Step { Data, Command, Option, Sub, SubCommand };
    void option(std::uint8_t verb, std::uint8_t code, Bytes& answer);
    void subnegotiation();

    Step step_ = Step::Data;
    std::uint8_t verb_ = 0;
    Bytes sub_;
    std::array<OptionState, 256> local_{};  // what the client does
    std::array<OptionState, 256> remote_{}; // what the server does
    bool comPortRefused_ = false;
    std::optional<std::uint8_t> modemState_;
};

} // namespace telnet
