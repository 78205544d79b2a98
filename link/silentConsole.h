#pragma once
// A face that shows nothing: where the engine works for itself (the site plan reads every
// firmware file and shows the plan, not a version line a file), and where a test watches only
// the wire or the clock.

#include "link/console.h"

#include <optional>
#include <string>

class SilentConsole : public Console {
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
