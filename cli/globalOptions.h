#pragma once
// The options before the command: which line, how fast, and the minimum reply time-out.

#include "link/serialPort.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>

struct GlobalOptions {
    std::string port = "COM1";   // COMn, a device path or a network port
    std::string speed = "38400"; // one of the Baud menu's speeds
    std::uint16_t minimumTimeoutMs = 0;
};

void addGlobalOptions(CLI::App& app, GlobalOptions& options);
// Throws UsageError for a COMn beyond the tool's ports.
void applyPortOptions(const GlobalOptions& options, TSerialPort& port);
