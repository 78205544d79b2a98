#pragma once
// The face an upgrade run of the site sees: every line goes to the site's face as the window
// writes it, each unit's own progress goes to that unit's row of the site (the one place where
// a unit's address becomes its row), and a search of every address is told as the LA it asks.

#include "link/console.h"
#include "site/finishOffer.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class StepConsole : public Console {
public:
    using Progress = std::function<void(std::size_t row, int percent)>;
    using Searching = std::function<void(int la, int of)>;
    struct Row {
        std::string address; // CCTT, as the procedures name the unit
        std::size_t row;     // where the site keeps it
    };

    StepConsole(Console& face, const Progress& progress, const Searching& searching,
                std::vector<Row> rows)
        : face_(face), progress_(progress), searching_(searching), rows_(std::move(rows)) {}

    // Once the operator has taken the offer to let the step's units finish, the log says so.
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
    void unitProgress(std::string_view unit, int percent) override;
    void searching(int la, int of) override;
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
    const Searching& searching_;
    std::vector<Row> rows_;
    FinishOffer* finish_ = nullptr;
};
