#pragma once
// A face that remembers what the engine showed, for checking it afterwards.

#include "link/console.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class RecordingConsole : public Console {
public:
    void status(std::string_view line) override {
        statusLines.emplace_back(line);
        if (onStatus) onStatus(statusLines.back());
    }
    void report(std::string_view line) override {
        reportLines.emplace_back(line);
        if (onReport) onReport(reportLines.back());
    }
    void clearStatus() override { statusLines.clear(); }
    void clearReport() override { reportLines.clear(); }
    void replaceLastReportLine(std::string_view line) override {
        if (!reportLines.empty()) reportLines.back() = std::string(line);
    }
    void progress(int, int, int) override {}
    void message(MessageKind kind, std::string_view text) override {
        messages.push_back({kind, std::string(text)});
    }
    bool confirm(std::string_view) override { return confirmAnswer; }
    std::optional<std::string> chooseFirmwareFile() override {
        ++dialogRuns;
        return fileToChoose;
    }
    void setLabel(ConsoleLabel label, std::string_view text) override {
        labels[static_cast<std::size_t>(label)] = std::string(text);
        ++labelChanges;
    }
    // The display's lines replace the report log, as the window shows them.
    void replaceReport(std::string_view text) override {
        reportLines.clear();
        std::size_t start = 0;
        for (std::size_t end; (end = text.find("\r\n", start)) != std::string_view::npos;
             start = end + 2)
            reportLines.emplace_back(text.substr(start, end - start));
        if (start < text.size()) reportLines.emplace_back(text.substr(start));
        ++reportReplacements;
    }
    const std::string& label(ConsoleLabel which) const {
        return labels[static_cast<std::size_t>(which)];
    }

    struct Message {
        MessageKind kind;
        std::string text;
    };
    std::vector<std::string> statusLines, reportLines;
    std::vector<Message> messages;
    // Told at every wake of a reply wait and every slice of a pause (the session's wait hook,
    // wired by the test kit's buses): where a test acts at a known moment of a run.
    void waited() {
        ++waits;
        if (onWait) onWait();
    }
    long waits = 0;
    std::function<void()> onWait;
    // Called with each status line as it is written, while the operation that wrote it waits.
    std::function<void(const std::string&)> onStatus;
    // The same for each report line.
    std::function<void(const std::string&)> onReport;
    bool confirmAnswer = false;
    std::optional<std::string> fileToChoose; // what the file dialog returns
    int dialogRuns = 0;
    std::array<std::string, 3> labels;
    long labelChanges = 0;
    long reportReplacements = 0;
};
