#pragma once
// Firmware files by name in the working folder, whatever the case of the name on disk:
// technicians copy them from machines where case does not count.

#include "link/console.h"

#include <optional>
#include <string>

// The entry that name stands for: name itself when it exists, else the one entry of the
// working folder whose name matches it without regard to case. Two or more such entries are
// refused with a line naming two of them; nothing found gives nothing, without a line.
std::optional<std::string> FindFirmwareFile(Console& console, const std::string& name);
