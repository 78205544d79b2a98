#pragma once
// A serial line on a device server that speaks Telnet with the COM-port option
// (rfc2217://HOST:PORT): the port's settings, DTR and purges travel to the server as option
// commands, and the line's bytes are escaped both ways.

#include "networkBackend.h"
#include "telnetCodec.h"

#include <optional>

class Rfc2217Backend : public NetworkBackend {
public:
    bool configure(const LineSettings& settings) override;
    void purge(bool input, bool output) override;
    bool setDtr(bool on) override;
    std::optional<ModemSignals> modemSignals() override;
    std::string openNote() const override;

protected:
    bool setUp(Deadline deadline) override;
    void takeReceived(const std::uint8_t* wire, std::size_t count) override;
    void encode(const std::uint8_t* data, std::size_t count) override;

private:
    bool agreed() const { return codec_.comPort() == telnet::OptionState::On; }

    telnet::Codec codec_;
    // What the port was set to while the server had not yet agreed to the option, sent once
    // it does.
    std::optional<LineSettings> heldSettings_;
    std::optional<bool> heldDtr_;
};
