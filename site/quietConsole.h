#pragma once
// A face that shows nothing: the plan reads every firmware file, and the operator is to see
// the plan, not a version line per file.

#include "link/console.h"

class QuietConsole : public Console {
public:
    void status(std::string_view) override {}
    void report(std::string_view) override {}
    void clearStatus() override {}
    void clearReport() override {}
    void replaceLastReportLine(std::string_view) override {}
    void progress(int, int, int) override {}
    void message(MessageKind, std::string_view) override {}
    bool confirm(std::string_view) override { return false; }
    std::optional<std::string> chooseFirmwareFile() override { return std::nullopt; }
    void setLabel(ConsoleLabel, std::string_view) override {}
    void replaceReport(std::string_view) override {}
};
