#pragma once
// The face of a run that writes pages: every call goes on to the command's face, and on a
// terminal the progress line is drawn on standard error below the log (cleared before each log
// line): the caption the command gives it (the site's step), the units whose pages are being
// written, the figures of the page writing, and the LA a search asks.

#include "link/console.h"
#include "progressLine.h"

#include <string>
#include <vector>

class ProgressConsole : public Console {
public:
    // show: draw the line (standard error is a terminal); else every call only goes on to out.
    ProgressConsole(Console& out, bool show) : out_(out), line_(stderr), show_(show) {}
    ~ProgressConsole() override { line_.clear(); }

    // The image whose pages are written when the log next says so.
    void follow(const FirmwareImage& image) { image_ = &image; }
    // What the line names first, before the units.
    void setCaption(std::string caption);

    void status(std::string_view line) override;
    void refusal(std::string_view line) override;
    void report(std::string_view line) override;
    void clearStatus() override { out_.clearStatus(); }
    void clearReport() override { out_.clearReport(); }
    void replaceLastReportLine(std::string_view line) override;
    void progress(int position, int min, int max) override;
    void unitProgress(std::string_view unit, int percent) override;
    void searching(int la, int of) override;
    void message(MessageKind kind, std::string_view text) override;
    bool confirm(std::string_view question) override;
    std::optional<std::string> chooseFirmwareFile() override { return out_.chooseFirmwareFile(); }
    void setLabel(ConsoleLabel label, std::string_view text) override {
        out_.setLabel(label, text);
    }
    void replaceReport(std::string_view text) override { out_.replaceReport(text); }

private:
    void showCaption();

    Console& out_;
    ProgressLine line_;
    bool show_;
    const FirmwareImage* image_ = nullptr;
    std::string caption_;
    std::vector<std::string> units_; // being written: their pages go out, none confirmed yet
};
