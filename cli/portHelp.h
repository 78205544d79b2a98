#pragma once
// What --port COMn opens differs between operating systems, and so does its help text.

const char* portOptionHelp();
