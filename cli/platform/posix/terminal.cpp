#include "terminal.h"

#include <poll.h>
#include <unistd.h>

bool isTerminal(std::FILE* stream) {
    return isatty(fileno(stream)) == 1;
}

bool inputArrives(int timeoutMs) {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    return poll(&input, 1, timeoutMs) != 0;
}
