#pragma once
// Ctrl-C: the first asks the running operation to stop at its next checkpoint, the second
// ends the program at once.

void installInterruptHandler();
bool interruptRequested();
