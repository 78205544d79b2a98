#pragma once
// The face of one bus among several: every line is printed whole, after "[PORT] ", under an
// output lock that all buses share, so that lines of buses running at once never interleave.

#include "link/console.h"

#include <mutex>
#include <string>

class PrefixConsole : public Console {
public:
    PrefixConsole(std::string port, std::mutex& output)
        : prefix_("[" + port + "] "), output_(output) {}

    void status(std::string_view line) override;
    void refusal(std::string_view line) override;
    void report(std::string_view line) override { printLine(line); }
    void clearStatus() override {}
    void clearReport() override {}
    void replaceLastReportLine(std::string_view line) override { printLine(line); }
    void progress(int, int, int) override {}
    // In the log; an error also on standard error.
    void message(MessageKind kind, std::string_view text) override;
    // Unattended: every question is answered No, as StdoutConsole does without --yes.
    bool confirm(std::string_view question) override {
        printLine(question);
        return false;
    }
    std::optional<std::string> chooseFirmwareFile() override { return std::nullopt; }
    void setLabel(ConsoleLabel label, std::string_view text) override;
    void replaceReport(std::string_view text) override;

private:
    void printLine(std::string_view line);
    void sayOnStandardError(std::string_view text);

    std::string prefix_;
    std::mutex& output_;
    std::string labels_[3];
};
