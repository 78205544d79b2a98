#pragma once
// The face an upgrade run of the site sees: every line goes to the site's face as the window
// writes it, and the progress of the run's pages is also told as the percentage of the units it
// writes (a search for units moves no unit's bar).

#include "link/console.h"
#include "link/runControl.h"
#include "site/finishOffer.h"

#include <cstddef>
#include <functional>
#include <vector>

class StepConsole : public Console {
public:
    using Progress = std::function<void(std::size_t unit, int percent)>;
    StepConsole(Console& face, const Progress& progress, std::vector<std::size_t> units,
                const RunControl& control)
        : face_(face), progress_(progress), units_(std::move(units)), control_(control) {}

    // Pages went out to the step's units: the ones it did not finish are in their boot loader.
    bool wrotePages() const { return wrotePages_; }
    // The offer to let the step's units finish follows its pages and its lines.
    void followFinish(FinishOffer& offer) { finish_ = &offer; }

    void status(std::string_view line) override {
        face_.status(line);
        if (finish_ != nullptr) finish_->noticeStop();
    }
    void refusal(std::string_view line) override { face_.refusal(line); }
    void report(std::string_view line) override { face_.report(line); }
    void clearStatus() override { face_.clearStatus(); }
    void clearReport() override { face_.clearReport(); }
    void replaceLastReportLine(std::string_view line) override {
        face_.replaceLastReportLine(line);
    }
    void progress(int position, int min, int max) override;
    void message(MessageKind kind, std::string_view text) override { face_.message(kind, text); }
    bool confirm(std::string_view question) override { return face_.confirm(question); }
    std::optional<std::string> chooseFirmwareFile() override { return std::nullopt; }
    void setLabel(ConsoleLabel label, std::string_view text) override {
        face_.setLabel(label, text);
    }
    void replaceReport(std::string_view text) override { face_.replaceReport(text); }

private:
    Console& face_;
    const Progress& progress_;
    std::vector<std::size_t> units_;
    const RunControl& control_;
    bool wrotePages_ = false;
    FinishOffer* finish_ = nullptr;
};
