#include "telnetCodec.h"

namespace telnet {

namespace {

// A subnegotiation longer than any COM-port answer is not one: it is dropped, not stored.
constexpr std::size_t kLongestSubnegotiation = 64;

bool clientMayDo(std::uint8_t code) {
    return code == kBinary || code == kSuppressGoAhead || code == kComPort;
}

bool serverMayDo(std::uint8_t code) {
    return code == kBinary || code == kSuppressGoAhead;
}

void command(Bytes& out, std::uint8_t verb, std::uint8_t code) {
    out.insert(out.end(), {IAC, verb, code});
}

} // namespace

void appendEscaped(const std::uint8_t* data, std::size_t count, Bytes& wire) {
    for (std::size_t i = 0; i < count; ++i) {
        wire.push_back(data[i]);
        if (data[i] == IAC) wire.push_back(IAC);
    }
}

Bytes comPortCommand(std::uint8_t code, std::initializer_list<std::uint8_t> value) {
    Bytes wire{IAC, SB, kComPort, code};
    appendEscaped(value.begin(), value.size(), wire);
    wire.insert(wire.end(), {IAC, SE});
    return wire;
}

Bytes Codec::opening() {
    Bytes wire;
    for (const std::uint8_t code : {kBinary, kSuppressGoAhead, kComPort}) {
        local_[code] = OptionState::Asked;
        command(wire, WILL, code);
    }
    for (const std::uint8_t code : {kBinary, kSuppressGoAhead}) {
        remote_[code] = OptionState::Asked;
        command(wire, DO, code);
    }
    return wire;
}

void Codec::decode(const std::uint8_t* wire, std::size_t count, Bytes& data, Bytes& answer) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t byte = wire[i];
        switch (step_) {
        case Step::Data:
            if (byte == IAC)
                step_ = Step::Command;
            else
                data.push_back(byte);
            break;
        case Step::Command:
            step_ = Step::Data;
            if (byte == IAC) {
                data.push_back(IAC);
            } else if (byte >= WILL && byte <= DONT) {
                verb_ = byte;
                step_ = Step::Option;
            } else if (byte == SB) {
                sub_.clear();
                step_ = Step::Sub;
            } // other commands (NOP, go-ahead, break...) carry nothing for the line
            break;
        case Step::Option:
            option(verb_, byte, answer);
            step_ = Step::Data;
            break;
        case Step::Sub:
            if (byte == IAC)
                step_ = Step::SubCommand;
            else if (sub_.size() < kLongestSubnegotiation)
                sub_.push_back(byte);
            break;
        case Step::SubCommand:
            if (byte == IAC) {
                if (sub_.size() < kLongestSubnegotiation) sub_.push_back(IAC);
                step_ = Step::Sub;
            } else {
                // SE ends it; anything else breaks the rules, and ends it all the same.
                subnegotiation();
                step_ = Step::Data;
            }
            break;
        }
    }
}

// Each side answers a request only when it changes the option's state, so the two can never
// talk each other into a loop.
void Codec::option(std::uint8_t verb, std::uint8_t code, Bytes& answer) {
    switch (verb) {
    case DO:
        if (!clientMayDo(code)) {
            command(answer, WONT, code);
        } else if (local_[code] == OptionState::Off) {
            local_[code] = OptionState::On;
            command(answer, WILL, code);
        } else {
            local_[code] = OptionState::On;
        }
        return;
    case DONT:
        if (local_[code] == OptionState::On) command(answer, WONT, code);
        if (code == kComPort && local_[code] != OptionState::Off) comPortRefused_ = true;
        local_[code] = OptionState::Off;
        return;
    case WILL:
        if (!serverMayDo(code)) {
            command(answer, DONT, code);
        } else if (remote_[code] == OptionState::Off) {
            remote_[code] = OptionState::On;
            command(answer, DO, code);
        } else {
            remote_[code] = OptionState::On;
        }
        return;
    case WONT:
        if (remote_[code] == OptionState::On) command(answer, DONT, code);
        remote_[code] = OptionState::Off;
        return;
    }
}

// Of the server's COM-port answers only the modem state is kept; the acknowledgements of the
// settings and the line-state notifications are taken and passed over.
void Codec::subnegotiation() {
    if (sub_.size() >= 3 && sub_[0] == kComPort && sub_[1] == NotifyModemState + kServerOffset)
        modemState_ = sub_[2];
}

} // namespace telnet
