#include "portHelp.h"

const char* portOptionHelp() {
    return "serial line: COMn is the entry COMn in the working folder if there is one, "
           "else /dev/ttyS{n-1}; anything else is a device path";
}
