#pragma once
// Line speeds that have no Bxxx constant (14400, 56000) go through the Linux termios2 route.

#include <cstdint>

// Sets both directions of the open descriptor to baud bits per second; false when refused.
bool setCustomBaud(int fd, std::uint32_t baud);
