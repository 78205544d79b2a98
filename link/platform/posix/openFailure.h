#pragma once
// Why a serial device did not open, in words a technician can act on: the device path, what
// went wrong, and what to do about it.

#include <string>

enum class OpenStage {
    Open,         // the device could not be opened at all
    NotATerminal, // it opened, but it is no serial line
    Busy          // another program holds it
};

// errorNumber is the platform's error of the failed call (0 when there was none).
std::string describeOpenFailure(const std::string& device, OpenStage stage, int errorNumber);

// The serial lines this machine has, and the COMn entries of the working folder.
std::string listSerialPorts();
