#pragma once
// The options before the command: which line, how fast, the minimum reply time-out, the extra
// attempts and the trusted key.

#include "link/linkSession.h"
#include "link/serialPort.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>
#include <vector>

struct GlobalOptions {
    // COMn, a device path or a network port; several only for the commands that run on several
    // buses at once.
    std::vector<std::string> ports{"COM1"};
    std::string port = "COM1";   // the first of ports: the bus of every other command
    std::string speed = "38400"; // one of the Baud menu's speeds
    std::uint16_t minimumTimeoutMs = 0;
    int extraAttempts = 0; // repeats of a request safe to repeat whose reply is lost
    // The minisign public key that the working folder's SHA256SUMS must be signed with.
    std::string trustedKeyFile;
    // Where each bus's run is recorded (one file a bus with several); empty: not recorded.
    std::string captureFile;
    // The command and its own options as given, which a capture records to replay the run.
    std::vector<std::string> commandArguments;
    std::string commandName;
};

void addGlobalOptions(CLI::App& app, GlobalOptions& options);
// Throws UsageError for a COMn beyond the tool's ports.
void applyPortOptions(const GlobalOptions& options, TSerialPort& port);
// The session of one bus as the options ask: its port, speed, frame logging and minimum reply
// time-out.
void setUpSession(const GlobalOptions& options, const std::string& port, LinkSession& session);
