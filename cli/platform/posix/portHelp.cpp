#include "portHelp.h"

const char* comPortHelp() {
    return "serial line: COMn is the entry COMn in the working folder if there is one, "
           "else /dev/ttyS{n-1}";
}
