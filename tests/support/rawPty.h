#pragma once
// The far end of a line for tests and benchmarks: a pseudo-terminal whose device side is held
// open in raw mode, so the master stays readable while the port under test closes and reopens.

#include <fcntl.h>
#include <stdexcept>
#include <stdlib.h>
#include <string>
#include <termios.h>
#include <unistd.h>

struct RawPty {
    int master = -1;
    int slave = -1;
    std::string devicePath;
};

inline RawPty openRawPty() {
    RawPty pty;
    pty.master = posix_openpt(O_RDWR | O_NOCTTY);
    if (pty.master < 0 || grantpt(pty.master) != 0 || unlockpt(pty.master) != 0)
        throw std::runtime_error("no pseudo-terminal");
    pty.devicePath = ptsname(pty.master);
    pty.slave = ::open(pty.devicePath.c_str(), O_RDWR | O_NOCTTY);
    termios tio{};
    tcgetattr(pty.slave, &tio);
    cfmakeraw(&tio);
    tcsetattr(pty.slave, TCSANOW, &tio);
    return pty;
}
