#pragma once
// Ctrl-C: each asks the running operation to stop (a run that lets the units it writes finish
// takes the first as that, the next as a Stop at its checkpoint); the one past those ends the
// program at once, saying what it left.

#include <string>

void installInterruptHandler();
bool interruptRequested();
// How many times Ctrl-C was pressed.
int interruptCount();
// The Ctrl-C that ends the program at once: the second (the default), or the third for a run
// whose first Stop lets its units finish.
void endAtInterrupt(int count);
// The line printed when Ctrl-C ends the program at once (what it leaves behind); empty: none.
void setInterruptNote(const std::string& line);
