#include "link/serialPort.h"

// Windows knows COM1 to COM9 by their plain names too, but from COM10 on only the device
// namespace form opens; the same form for every number keeps one rule.
std::string devicePathForPort(TComPortNumber port) {
    return "\\\\.\\COM" + std::to_string(static_cast<int>(port) + 1);
}
