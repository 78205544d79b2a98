#include "portHelp.h"

const char* portOptionHelp() {
    return "serial line: COMn is the Windows port of that number; anything else is a device "
           "path (\\\\.\\COM12)";
}
