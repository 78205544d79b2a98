#include "link/serialPort.h"

#include <filesystem>

// The working folder's "COMn" entry (usually a link the operator or the simulator made) wins
// over the machine's own ports. A dangling link still counts: opening it then fails, rather
// than silently talking to another line.
std::string devicePathForPort(TComPortNumber port) {
    const int number = static_cast<int>(port) + 1;
    const std::string local = "COM" + std::to_string(number);
    std::error_code error;
    if (std::filesystem::symlink_status(local, error).type() !=
            std::filesystem::file_type::not_found &&
        !error)
        return local;
    return "/dev/ttyS" + std::to_string(number - 1);
}
