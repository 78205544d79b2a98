#pragma once
// The self-rewriting line that shows a person at a terminal how the page writing goes: what is
// written (a caption: the step, the units), percent, pages done of pages, bytes per second and
// time left; or, while a search asks every LA, the LA it asks. It goes to standard error, so
// that standard output keeps exactly the log lines.

#include "image/firmwareImage.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class ProgressLine {
public:
    explicit ProgressLine(std::FILE* out);

    // Pages of image are being written from now on (the log says "Write Flash..."), or no
    // longer. The image is read while the line is drawn.
    void startWriting(const FirmwareImage& image);
    void stopWriting() { writing_ = false; }
    // What the line names before its figures; drawn with the next figures.
    void setCaption(std::string caption) { caption_ = std::move(caption); }
    // The bar moved to position within min..max: redraws the line while pages are written.
    void update(int position, int min, int max);
    // A search asks LA la of the last one, of.
    void searching(int la, int of);
    // Clears the line before a log line is printed, so that the two never share a row.
    void clear();

private:
    struct PageEnd {
        std::int32_t cursor; // the image cursor after the page
        std::size_t bytes;   // bytes written up to and including the page
    };
    void draw();
    void show(const std::string& figures);

    const FirmwareImage* image_ = nullptr;
    std::FILE* out_;
    std::vector<PageEnd> pages_;
    std::string caption_;
    bool writing_ = false;
    std::chrono::steady_clock::time_point started_;
    bool shown_ = false;
    int percent_ = 0;
};
