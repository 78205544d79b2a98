#pragma once
// Debian's ser2net in the foreground, serving pseudo-terminals on free loopback ports: one
// raw, one Telnet with the COM-port option. It ends with the object.

#include <cstdint>
#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

class Ser2net {
public:
    // Whether the program is installed; tests that need it skip when it is not.
    static bool installed();

    ~Ser2net();
    // Serves rawDevice raw and telnetDevice as telnet(rfc2217) (either may be empty), from a
    // configuration written into folder; false, with the reason in error(), when it does not
    // come up.
    bool start(const std::filesystem::path& folder, const std::string& rawDevice,
               const std::string& telnetDevice);
    // Connection options (ser2net.yaml's "options:" block, one "name: value" a line) for the
    // next start.
    void setOptions(std::vector<std::string> options) { options_ = std::move(options); }
    // Ends it at once, as a device server that loses power.
    void kill();

    std::string rawUrl() const { return "tcp://127.0.0.1:" + std::to_string(rawPort_); }
    std::string telnetUrl() const { return "rfc2217://127.0.0.1:" + std::to_string(telnetPort_); }
    std::uint16_t rawPort() const { return rawPort_; }
    std::uint16_t telnetPort() const { return telnetPort_; }
    const std::string& error() const { return error_; }

private:
    pid_t pid_ = -1;
    std::uint16_t rawPort_ = 0, telnetPort_ = 0;
    std::string error_;
    std::vector<std::string> options_;
};

// A loopback TCP port nobody listens on at the moment.
std::uint16_t freeLoopbackPort();
