#pragma once
// What --port COMn opens differs between operating systems, and so does its help text.

// What COMn opens on this system; the rest of --port's help is the same everywhere.
const char* comPortHelp();
