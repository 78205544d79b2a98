#pragma once
// The words of Windows for a failed call, and why a port did not open in words a technician
// can act on: the device, what went wrong, and what to do about it.

#include <cstdint>
#include <string>

// The system's own text for an error of GetLastError, without the trailing line break.
std::string systemErrorText(std::uint32_t error);

// error is the GetLastError of the failed CreateFile (or of the first call on the handle).
std::string describeOpenFailure(const std::string& device, std::uint32_t error);

// The COM ports this machine has, as the system names them.
std::string listSerialPorts();
