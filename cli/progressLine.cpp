#include "progressLine.h"

#include "image/pageFormat.h"

#include <algorithm>

ProgressLine::ProgressLine(std::FILE* out) : out_(out) {}

// The pages of the image as the upgrade cuts them, counted on a copy of it.
void ProgressLine::startWriting(const FirmwareImage& image) {
    image_ = &image;
    pages_.clear();
    FirmwareImage copy = image;
    copy.cursor = 0;
    std::size_t bytes = 0;
    do {
        const std::string page = FormatWriteData(copy);
        if (page.empty()) continue;
        bytes += (page.size() - 12) / 2; // 8 digits of address and 4 of count, then the bytes
        pages_.push_back({copy.cursor, bytes});
    } while (copy.cursor <= copy.highestWritten);
    started_ = std::chrono::steady_clock::now();
    percent_ = 0;
    writing_ = true;
}

void ProgressLine::update(int position, int min, int max) {
    percent_ = max > min ? 100 * (position - min) / (max - min) : 100;
    if (writing_) draw();
}

void ProgressLine::searching(int la, int of) {
    show("Searching LA " + std::to_string(la) + " of " + std::to_string(of));
}

// The percent is the bar's, as the window shows it; pages, rate and time left come from the
// bytes of the pages the image cursor has passed.
void ProgressLine::draw() {
    // The pages that end where the cursor stands or before it: none while the bar is empty.
    const auto passed =
        std::upper_bound(pages_.begin(), pages_.end(), image_->cursor,
                         [](std::int32_t c, const PageEnd& p) { return c < p.cursor; });
    const auto done = static_cast<std::size_t>(passed - pages_.begin());
    const std::size_t bytes = done == 0 ? 0 : pages_[done - 1].bytes;
    const std::size_t total = pages_.empty() ? 0 : pages_.back().bytes;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    const double rate = seconds > 0 ? bytes / seconds : 0;
    const long left = rate > 0 ? static_cast<long>((total - bytes) / rate) : 0;
    char figures[96];
    std::snprintf(figures, sizeof figures, "%3d%%  page %zu of %zu  %.0f B/s  %ld:%02ld left",
                  percent_, done, pages_.size(), rate, left / 60, left % 60);
    show(figures);
}

void ProgressLine::show(const std::string& figures) {
    const std::string line = caption_.empty() ? figures : caption_ + "  " + figures;
    std::fprintf(out_, "\r\033[K%s", line.c_str());
    std::fflush(out_);
    shown_ = true;
}

void ProgressLine::clear() {
    if (!shown_) return;
    std::fputs("\r\033[K", out_);
    std::fflush(out_);
    shown_ = false;
}
