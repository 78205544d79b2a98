#include "progressConsole.h"

#include <algorithm>

namespace {
// The log lines around the page writing of every upgrade procedure.
constexpr std::string_view kWriteFlash = "Write Flash...";
constexpr std::string_view kResetting = "Resetting unit...";
} // namespace

void ProgressConsole::setCaption(std::string caption) {
    caption_ = std::move(caption);
    units_.clear();
    showCaption();
}

void ProgressConsole::status(std::string_view line) {
    line_.clear();
    out_.status(line);
    if (show_ && image_ != nullptr && line == kWriteFlash) {
        units_.clear();
        line_.startWriting(*image_);
    }
    if (line == kResetting) line_.stopWriting();
}

void ProgressConsole::refusal(std::string_view line) {
    line_.clear();
    out_.refusal(line);
}

void ProgressConsole::report(std::string_view line) {
    line_.clear();
    out_.report(line);
}

void ProgressConsole::replaceLastReportLine(std::string_view line) {
    line_.clear();
    out_.replaceLastReportLine(line);
}

void ProgressConsole::progress(int position, int min, int max) {
    out_.progress(position, min, max);
    if (show_) line_.update(position, min, max);
}

// A unit is named while its pages go out; confirmed running, it is no longer written.
void ProgressConsole::unitProgress(std::string_view unit, int percent) {
    out_.unitProgress(unit, percent);
    const auto known = std::find(units_.begin(), units_.end(), unit);
    if (percent >= 100 && known != units_.end())
        units_.erase(known);
    else if (percent < 100 && known == units_.end())
        units_.emplace_back(unit);
    else
        return;
    showCaption();
}

void ProgressConsole::searching(int la, int of) {
    out_.searching(la, of);
    if (show_) line_.searching(la, of);
}

void ProgressConsole::message(MessageKind kind, std::string_view text) {
    line_.clear();
    out_.message(kind, text);
}

bool ProgressConsole::confirm(std::string_view question) {
    line_.clear();
    return out_.confirm(question);
}

void ProgressConsole::showCaption() {
    std::string caption = caption_;
    for (std::size_t i = 0; i < units_.size(); ++i)
        caption += (caption.empty() ? "" : i == 0 ? "  " : " ") + units_[i];
    line_.setCaption(caption);
}
