#pragma once
// Everything a command works with: the engine objects of the run and the face.

#include "link/operation.h"
#include "link/operationContext.h"
#include "link/transaction.h"
#include "stdoutConsole.h"

struct CliContext {
    Clock& clock;
    TSerialPort& port;
    StdoutConsole& console;
    Transaction& link;
    OperationGate& gate;

    // What the engine's procedures take.
    OperationContext engine() { return {link, console, clock, console.signal}; }
};
