#pragma once
// The options before the command: which line, how fast, the minimum reply time-out and the
// extra attempts.

#include "link/serialPort.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>

struct GlobalOptions {
    std::string port = "COM1";   // COMn, a device path or a network port
    std::string speed = "38400"; // one of the Baud menu's speeds
    std::uint16_t minimumTimeoutMs = 0;
    int extraAttempts = 0; // repeats of a request safe to repeat whose reply is lost
};

void addGlobalOptions(CLI::App& app, GlobalOptions& options);
// Throws UsageError for a COMn beyond the tool's ports.
void applyPortOptions(const GlobalOptions& options, TSerialPort& port);
