#pragma once
// What must hold after any input, however malformed: the image stays inside its bounds and
// the page cutter walks it to the end with well-formed pages. A violation aborts, which the
// fuzzer reports as a finding.

#include "image/firmwareImage.h"
#include "image/pageFormat.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string_view>
#include <utility>

inline void Require(bool condition) {
    if (!condition) std::abort();
}

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// No written flag is set anywhere in [from, to).
inline bool NoneWritten(const FirmwareImage& image, std::int32_t from, std::int32_t to) {
    if (from >= to) return true;
    return std::memchr(image.written.data() + from, 1, static_cast<std::size_t>(to - from)) ==
           nullptr;
}

// Written bytes lie only in the stores' windows (given as [from, to) spans) and inside the
// recorded written range.
inline void
CheckWrittenBytes(const FirmwareImage& image,
                  std::initializer_list<std::pair<std::int32_t, std::int32_t>> windows) {
    Require(image.bytes.size() == FirmwareImage::kSize);
    Require(image.written.size() == FirmwareImage::kSize);
    std::int32_t gapFrom = 0;
    for (const auto& [from, to] : windows) {
        Require(NoneWritten(image, gapFrom, from));
        gapFrom = to;
    }
    Require(NoneWritten(image, gapFrom, FirmwareImage::kSize));
    if (NoneWritten(image, 0, FirmwareImage::kSize)) return;
    Require(image.lowestWritten >= 0 && image.lowestWritten <= image.highestWritten);
    Require(NoneWritten(image, 0, image.lowestWritten));
    Require(NoneWritten(image, image.highestWritten + 1, FirmwareImage::kSize));
}

// Cuts every page as an upgrade would and checks the shape of each one.
inline void CheckPages(FirmwareImage& image) {
    image.cursor = 0;
    int pages = 0;
    do {
        const std::string page = FormatWriteData(image);
        if (page.empty()) continue;
        Require(page.size() >= 14 && page.size() <= 268 && page.size() % 2 == 0);
        Require(page.find_first_not_of("0123456789ABCDEF") == std::string::npos);
        Require(++pages <= FirmwareImage::kSize);
    } while (image.cursor <= image.highestWritten);
}
