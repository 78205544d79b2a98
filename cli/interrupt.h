#pragma once
// Ctrl-C: each asks the running operation to stop (a run that lets the units it writes finish
// takes the first as that, the next as a Stop at its checkpoint); the one past those ends the
// program at once, saying what it left.

#include <functional>
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
// For a run that has something to keep when it ends at once: the Ctrl-C that ends the program is
// then acted on by the waiting program, not by the handler. It calls last (which writes what is
// known), prints the note and ends. One more Ctrl-C ends at once from the handler, should the
// program not get there.
void deferEndAtOnce(std::function<void()> last);
// Called by the waiting program between its looks at the run: ends it when that Ctrl-C came.
void endAtOnceIfDue();
