#pragma once
// The one way the engine reaches the operator: the window and the command-line tool each
// implement it, so both show the very same lines. Its calls come from the session's worker
// thread; a question (confirm, the file chooser) blocks the worker until the operator answers.

#include <optional>
#include <string>
#include <string_view>

enum class MessageKind {
    Error,       // error box with an OK button ("Failed to open COM port")
    Information, // information box
    Plain        // plain message box with an OK button
};

// The three labels of the comms test: the cycle, the unit in progress, the running pass rate.
enum class ConsoleLabel { Cycle, Cla, Progress };

class Console {
public:
    virtual ~Console() = default;

    virtual void status(std::string_view line) = 0; // append to the status log
    // A firmware file refused before anything was sent: a status line, which the command-line
    // tool also writes to standard error.
    virtual void refusal(std::string_view line) { status(line); }
    virtual void report(std::string_view line) = 0; // append to the report log
    virtual void clearStatus() = 0;
    virtual void clearReport() = 0;
    virtual void replaceLastReportLine(std::string_view line) = 0;
    virtual void progress(int position, int min, int max) = 0;
    // How far one unit (by its CCTT address) has come while pages go to it: below 100 while
    // they are written, whatever share of them is in, and 100 only once the unit was confirmed
    // running its new firmware. A face that shows one bar for the run ignores it.
    virtual void unitProgress(std::string_view, int) {}
    // A search of every address is asking LA la of the last one, of.
    virtual void searching(int, int) {}

    virtual void message(MessageKind kind, std::string_view text) = 0;
    virtual bool confirm(std::string_view question) = 0; // Yes/No
    virtual std::optional<std::string> chooseFirmwareFile() = 0;

    // Sets a label.
    virtual void setLabel(ConsoleLabel label, std::string_view text) = 0;
    // Replaces the whole report log by text, whose lines end in carriage return and line feed
    // (a live display redrawn in place).
    virtual void replaceReport(std::string_view text) = 0;
};
