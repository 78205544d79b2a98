#pragma once
// Whether a device server listens on a TCP port yet, read from the kernel's table: connecting to
// ask would make some servers open their device and hold it for a moment after.

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

// Any local address: ser2net binds the loopback, the python3-serial example every address.
inline bool listeningOn(std::uint16_t port) {
    std::ifstream table("/proc/net/tcp");
    char wanted[8];
    std::snprintf(wanted, sizeof wanted, ":%04X", port);
    std::string line;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state;
        fields >> slot >> local >> remote >> state;
        if (local.ends_with(wanted) && state == "0A") return true;
    }
    return false;
}
