#pragma once
// The simulated network behind a TCP socket, raw bytes as a serial device server would pass
// them: one client at a time, served on the real clock by a thread of its own. A client that
// connects while another is served is closed at once, so it fails plainly instead of waiting.

#include "sim/networkSimulator.h"
#include "sim/servedLine.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace sim {

class TcpSimulator {
public:
    explicit TcpSimulator(Network network, PtyOptions options = {});
    ~TcpSimulator();
    TcpSimulator(const TcpSimulator&) = delete;
    TcpSimulator& operator=(const TcpSimulator&) = delete;

    // Listens on host (an IPv4 address) and port (0: any free one) and starts serving. The
    // address clients use, "tcp://HOST:PORT", or nothing with the reason in error().
    std::optional<std::string> start(const std::string& host, std::uint16_t port);
    void stop();
    const std::string& error() const { return error_; }
    // Frames are answered by handler instead of the network from the next one on.
    void setFrameHandler(FrameHandler handler) {
        std::lock_guard<std::mutex> lock(mutex_);
        handler_ = std::move(handler);
    }
    std::uint16_t port() const { return port_; }

    // The connection of the client being served breaks, as when a device server goes away;
    // the next client is served as usual.
    void dropClient() { dropRequested_ = true; }
    std::size_t clientsServed() const { return clientsServed_; }
    std::size_t clientsTurnedAway() const { return clientsTurnedAway_; }

    template <typename F> auto inspect(F&& f) {
        std::lock_guard<std::mutex> lock(mutex_);
        return f(simulator_);
    }
    std::optional<Unit> unit(const std::string& name);

private:
    bool listenOn(const std::string& host, std::uint16_t port);
    void serve();
    void acceptClient();
    void receive(std::uint64_t nowUs);
    void sendDue(std::uint64_t nowUs);
    void closeClient();
    std::uint64_t nowUs() const;

    NetworkSimulator simulator_;
    FrameHandler handler_;
    std::mutex mutex_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> dropRequested_{false};
    std::atomic<std::size_t> clientsServed_{0};
    std::atomic<std::size_t> clientsTurnedAway_{0};
    int listener_ = -1;
    int client_ = -1;
    std::uint16_t port_ = 0;
    std::string host_, error_;
    ServedLine line_;
    std::uint64_t startUs_ = 0;
};

} // namespace sim
