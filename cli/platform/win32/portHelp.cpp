#include "portHelp.h"

const char* comPortHelp() {
    return "serial line: COMn is the Windows port of that number (\\\\.\\COMn)";
}
