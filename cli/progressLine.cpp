#include "progressLine.h"

#include "image/pageFormat.h"

#include <algorithm>

namespace {
constexpr int kWriteBarMax = 100;
}

ProgressLine::ProgressLine(const FirmwareImage& image, std::FILE* out) : image_(image), out_(out) {}

// The pages of the image as the upgrade cuts them, counted on a copy of it.
void ProgressLine::startPass() {
    pages_.clear();
    FirmwareImage copy = image_;
    copy.cursor = 0;
    std::size_t bytes = 0;
    do {
        const std::string page = FormatWriteData(copy);
        if (page.empty()) continue;
        bytes += (page.size() - 12) / 2; // 8 digits of address and 4 of count, then the bytes
        pages_.push_back({copy.cursor, bytes});
    } while (copy.cursor <= copy.highestWritten);
    started_ = std::chrono::steady_clock::now();
}

void ProgressLine::update(int position, int min, int max) {
    if (min != 0 || max != kWriteBarMax || position <= 0) return;
    if (image_.cursor <= lastCursor_ || pages_.empty()) startPass();
    lastCursor_ = image_.cursor;
    draw(position);
}

void ProgressLine::draw(int percent) {
    const auto page =
        std::lower_bound(pages_.begin(), pages_.end(), image_.cursor,
                         [](const PageEnd& p, std::int32_t c) { return p.cursor < c; });
    const std::size_t done = page == pages_.end() ? pages_.size() : page - pages_.begin() + 1;
    const std::size_t bytes = done == 0 ? 0 : pages_[done - 1].bytes;
    const std::size_t total = pages_.empty() ? 0 : pages_.back().bytes;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    const double rate = seconds > 0 ? bytes / seconds : 0;
    const long left = rate > 0 ? static_cast<long>((total - bytes) / rate) : 0;
    std::fprintf(out_, "\r\033[K%3d%%  page %zu of %zu  %.0f B/s  %ld:%02ld left", percent, done,
                 pages_.size(), rate, left / 60, left % 60);
    std::fflush(out_);
    shown_ = true;
}

void ProgressLine::clear() {
    if (!shown_) return;
    std::fputs("\r\033[K", out_);
    std::fflush(out_);
    shown_ = false;
}
