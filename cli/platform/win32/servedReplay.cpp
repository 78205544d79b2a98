#include "../servedReplay.h"

// The simulator is a Linux program: a replay on Windows is served elsewhere and named with --at.
ServedReplay::~ServedReplay() = default;

bool ServedReplay::start(const std::string&, const std::string&, std::string& error) {
    error = "a replay is served by nexalo-sim, which runs on Linux: start "
            "\"nexalo-sim --replay FILE --listen tcp:PORT\" there and give replay --at "
            "tcp://HOST:PORT";
    return false;
}

std::optional<std::string> ServedReplay::stop() {
    return std::nullopt;
}
