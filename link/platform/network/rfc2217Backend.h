#pragma once
// A serial line on a device server that speaks Telnet with the COM-port option
// (rfc2217://HOST:PORT): the port's settings, DTR and purges travel to the server as option
// commands, and the line's bytes are escaped both ways.

#include "networkBackend.h"
#include "telnetCodec.h"

class Rfc2217Backend : public NetworkBackend {
public:
    bool configure(const LineSettings& settings) override;
    void purge(bool input, bool output) override;
    bool setDtr(bool on) override;
    std::optional<ModemSignals> modemSignals() override;
    std::string openNote() const override { return {}; }

protected:
    bool setUp(Deadline deadline) override;
    void takeReceived(const std::uint8_t* wire, std::size_t count) override;
    void encode(const std::uint8_t* data, std::size_t count) override;

private:
    telnet::Codec codec_;
};
