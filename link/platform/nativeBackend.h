#pragma once
// The operating system's own serial lines. Each platform folder defines this once; CMake
// builds the folder of the platform it targets.

#include "serialBackend.h"

#include <memory>

std::unique_ptr<SerialBackend> makeNativeBackend();
