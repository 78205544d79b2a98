#pragma once
// A serial line reached over TCP: the bytes of the line go as they are (tcp://HOST:PORT). The
// line's speed and framing are set on the device server, so configuring does nothing here;
// the modem lines are out of reach and their calls are refused. A connection the server
// closes or resets is a failed line, as an unplugged adapter is.

#include "link/platform/networkAddress.h"
#include "link/platform/serialBackend.h"
#include "socketApi.h"

#include <chrono>
#include <deque>
#include <vector>

class NetworkBackend : public SerialBackend {
public:
    // How long a connection (and the Telnet set-up after it) may take.
    static constexpr int kConnectTimeoutMs = 3000;
    // A server that turns a client away (another one has the port) closes at once; a
    // connection that lasts this long after its set-up is taken as served.
    static constexpr int kSettleMs = 50;
    // How long a close waits for the last bytes to go and for the server to close its side.
    static constexpr int kCloseBoundMs = 300;

    NetworkBackend() = default;
    ~NetworkBackend() override;
    NetworkBackend(const NetworkBackend&) = delete;
    NetworkBackend& operator=(const NetworkBackend&) = delete;

    bool open(const std::string& device) override;
    void close() override;
    bool isOpen() const override { return socket_ != net::kNoSocket; }

    bool configure(const LineSettings& settings) override;
    void purge(bool input, bool output) override;
    bool setDtr(bool on) override;
    std::optional<ModemSignals> modemSignals() override;

    int bytesWaiting() override;
    int outputQueued() override;
    int write(const std::uint8_t* data, int count) override;
    bool drain(int timeoutMs) override;
    int read(std::uint8_t* buffer, int count) override;
    bool waitReadable(int timeoutMs) override;
    std::string lineFault() const override { return fault_; }
    std::string openFailure() const override { return openFailure_; }
    std::string openNote() const override;

protected:
    using Deadline = std::chrono::steady_clock::time_point;
    // After the connection is made: false, with openFailure set, when the line cannot be used.
    virtual bool setUp(Deadline /*deadline*/) { return true; }
    // Bytes from the socket; the line's own bytes go to the input.
    virtual void takeReceived(const std::uint8_t* wire, std::size_t count);
    // Line bytes as they go on the wire.
    virtual void encode(const std::uint8_t* data, std::size_t count);

    // Control bytes for the server, sent ahead of any line bytes not yet taken by the kernel.
    void sendNow(const std::vector<std::uint8_t>& wire);
    void queueInput(const std::vector<std::uint8_t>& data);
    // Takes what the socket holds; false once the connection has failed.
    bool receive();
    // Waits up to timeoutMs for the socket to have something, and takes it.
    void awaitBytes(int timeoutMs);
    void failOpen(const std::string& why);
    // The printable text among the line bytes received so far (what a server that turns a
    // client away says, such as ser2net's "Port already in use").
    std::string receivedText() const;
    const std::string& address() const { return address_; }
    std::vector<std::uint8_t>& outgoing() { return outgoing_; }

private:
    bool closedAtOnce();
    void flush();
    void pushOut(Deadline deadline);
    void noteFault(const std::string& text);

    net::Handle socket_ = net::kNoSocket;
    std::string address_;
    std::deque<std::uint8_t> input_;
    std::vector<std::uint8_t> outgoing_; // on the wire's terms, not yet taken by the kernel
    std::string fault_;
    std::string openFailure_;
};
