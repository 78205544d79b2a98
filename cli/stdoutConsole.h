#pragma once
// The command line's face: every log line and message box text goes to standard output in the
// order the window would show it.

#include "link/console.h"

#include <array>
#include <functional>
#include <optional>
#include <string>

// The text of a message box on one line, its lines joined by ": ".
std::string asOneLine(std::string_view text);

// A log line as a shell's user is told it: the run's note on the first Stop names the second as
// Ctrl-C, the Stop there is.
std::string inShellWords(std::string_view line);

class StdoutConsole : public Console {
public:
    ~StdoutConsole() override;
    void status(std::string_view line) override { logLine(inShellWords(line)); }
    // In the log as every status line, and on standard error for the script that runs us.
    void refusal(std::string_view line) override;
    void report(std::string_view line) override { logLine(line); }
    void clearStatus() override {}
    void clearReport() override {}
    void replaceLastReportLine(std::string_view line) override { logLine(line); }
    void progress(int, int, int) override {}
    // In the log; an error also on standard error.
    void message(MessageKind kind, std::string_view text) override;
    bool confirm(std::string_view question) override;
    std::optional<std::string> chooseFirmwareFile() override { return firmwareFile; }
    // Piped: a line for each label whose text changed. On a terminal: one status line on
    // standard error, rewritten in place, so that the log on standard output stays clean.
    void setLabel(ConsoleLabel label, std::string_view text) override;
    // The live display, printed whenever it differs from the one printed last.
    void replaceReport(std::string_view text) override;

    // Set from the command's options: the answer to every question, the file "chosen".
    bool assumeYes = false;
    std::optional<std::string> firmwareFile;

    static void printLine(std::string_view line);
    // The last log line printed through this face.
    const std::string& lastLine() const { return lastLine_; }

private:
    // A log line on a terminal goes above the status line, which is drawn again below it.
    void logLine(std::string_view line);
    void drawStatusLine();
    void sayOnStandardError(std::string_view text);
    std::array<std::string, 3> labels_;
    std::string lastDisplay_;
    std::string lastLine_;
    bool statusLineShown_ = false;
};
