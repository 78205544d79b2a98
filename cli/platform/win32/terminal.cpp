#include "terminal.h"

#include <io.h>
#include <windows.h>

bool isTerminal(std::FILE* stream) {
    return _isatty(_fileno(stream)) != 0;
}

bool inputArrives(int timeoutMs) {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    return WaitForSingleObject(input, static_cast<DWORD>(timeoutMs)) != WAIT_TIMEOUT;
}
