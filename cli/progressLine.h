#pragma once
// The self-rewriting line that shows a person at a terminal how the page writing goes:
// percent, pages done of pages, bytes per second and time left. It goes to standard error,
// so that standard output keeps exactly the log lines.

#include "image/firmwareImage.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

class ProgressLine {
public:
    ProgressLine(const FirmwareImage& image, std::FILE* out);

    // Pages are being written from now on (the log says "Write Flash..."), or no longer.
    void startWriting();
    void stopWriting() { writing_ = false; }
    // The bar moved to position within min..max: redraws the line while pages are written.
    void update(int position, int min, int max);
    // Clears the line before a log line is printed, so that the two never share a row.
    void clear();

private:
    struct PageEnd {
        std::int32_t cursor; // the image cursor after the page
        std::size_t bytes;   // bytes written up to and including the page
    };
    void draw();

    const FirmwareImage& image_;
    std::FILE* out_;
    std::vector<PageEnd> pages_;
    bool writing_ = false;
    std::chrono::steady_clock::time_point started_;
    bool shown_ = false;
    int percent_ = 0;
};
