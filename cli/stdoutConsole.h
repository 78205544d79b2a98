#pragma once
// The command line's face: every log line and message box text goes to standard output in the
// order the window would show it.

#include "link/console.h"
#include "link/serialPort.h"
#include "link/stopSignal.h"

#include <optional>
#include <string>

class StdoutConsole : public Console {
public:
    void status(std::string_view line) override { printLine(line); }
    void report(std::string_view line) override { printLine(line); }
    void clearStatus() override {}
    void clearReport() override {}
    void replaceLastReportLine(std::string_view line) override { printLine(line); }
    void progress(int, int, int) override {}
    void pump() override;
    void message(MessageKind kind, std::string_view text) override;
    bool confirm(std::string_view question) override;
    std::optional<std::string> chooseFirmwareFile() override { return firmwareFile; }

    // Set from the command's options: the answer to every question, the file "chosen".
    bool assumeYes = false;
    std::optional<std::string> firmwareFile;
    // Raised by the first Ctrl-C, as the window's "&Stop" raises it; operations test it at
    // their checkpoints.
    StopSignal signal;
    // The port whose background polling runs when this face pumps, as the window's timer does.
    TSerialPort* port = nullptr;

    static void printLine(std::string_view line);
};
