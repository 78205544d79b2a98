#pragma once
// The options before the command: which line, how fast, and the minimum reply time-out.

#include "link/serialPort.h"

#include <optional>
#include <string>
#include <vector>

struct GlobalOptions {
    std::optional<TComPortNumber> comPort; // COMn
    std::string devicePath;                // any other --port value
    TComPortBaudRate speed = br38400;
    std::uint16_t minimumTimeoutMs = 0;
    bool help = false;
    std::string command;
    std::vector<std::string> commandArgs;
};

// Throws UsageError for anything it does not understand.
GlobalOptions parseGlobalOptions(const std::vector<std::string>& args);
void applyPortOptions(const GlobalOptions& options, TSerialPort& port);
std::string globalUsage();
