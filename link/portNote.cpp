#include "portNote.h"

void tellPortNote(Console& console, RunLog log, std::string_view note) {
    if (log == RunLog::Report)
        console.report(note);
    else
        console.status(note);
}
