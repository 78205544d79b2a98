#pragma once
// pyserial's example RFC 2217 server (python3-serial's documentation) in front of a
// pseudo-terminal, on a free loopback port, through rfc2217ServerOnPty.py. A device server
// other than ser2net: it negotiates only once it has finished with the previous client, and
// sends modem-state notifications. It ends with the object.

#include <cstdint>
#include <filesystem>
#include <string>
#include <sys/types.h>

class PyserialRfc2217Server {
public:
    // Why the server cannot run here (no python3, no python3-serial, no example), or empty.
    static std::string missing();

    ~PyserialRfc2217Server();
    // Serves device; false, with the reason in error(), when it does not come up. Its log
    // goes to folder.
    bool start(const std::filesystem::path& folder, const std::string& device);
    void kill();

    std::string url() const { return "rfc2217://127.0.0.1:" + std::to_string(port_); }
    // What the server has logged so far.
    std::string log() const;
    // Waits (up to 5 s) until the server has let go of count clients in all.
    bool awaitDisconnections(int count) const;
    const std::string& error() const { return error_; }

private:
    pid_t pid_ = -1;
    std::uint16_t port_ = 0;
    std::filesystem::path log_;
    std::string error_;
};
