#include "image/pageFormat.h"

#include "link/catalogue.h"

#include <algorithm>

namespace {

// Pages never reach into the last 1 KiB of flash, which the readers leave alone.
constexpr std::int32_t kLastPageAddress = FirmwareImage::kApplicationSize - 1;
constexpr int kAddressDigits = 8;
constexpr int kCountDigits = 4;

bool InRemoteArea(std::int32_t address) {
    return (address >= remote::ApplicationFirst && address <= remote::ApplicationLast) ||
           (address >= remote::VectorFirst && address <= remote::VectorLast);
}

void AppendHex(std::string& text, unsigned value, int digits) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        text += kDigits[(value >> shift) & 0xF];
}

struct PageCut {
    std::int32_t start = 0;
    int count = 0;
};

// One page's walk from cursor on: its first written byte and how many bytes it takes. The
// cursor ends past the page; a count of 0 means no written byte was met.
PageCut CutPage(const FirmwareImage& image, std::int32_t& cursor) {
    PageCut cut;
    do {
        const std::int32_t address = cursor;
        if (address >= 0 && address <= kLastPageAddress) {
            const bool written = image.isWritten(address);
            if (cut.count == 0 && written) cut.start = address;
            if (cut.count > 0 || written) ++cut.count;
        } else if (cut.count > 0) {
            break;
        }
        ++cursor;
    } while (cut.count < kMaxPageBytes && cursor <= image.highestWritten);
    return cut;
}

} // namespace

std::string FormatWriteData(FirmwareImage& image) {
    const PageCut cut = CutPage(image, image.cursor);
    if (cut.count == 0) return {};
    std::uint32_t pageAddress = static_cast<std::uint32_t>(cut.start);
    if (image.highAddress) pageAddress += FirmwareImage::kHighAddressOffset;
    std::string page;
    page.reserve(static_cast<std::size_t>(kAddressDigits + kCountDigits + 2 * cut.count));
    AppendHex(page, pageAddress, kAddressDigits);
    AppendHex(page, static_cast<unsigned>(cut.count), kCountDigits);
    for (std::int32_t address = cut.start; address < cut.start + cut.count; ++address)
        AppendHex(page, image.byteAt(address), 2);
    return page;
}

int CountPages(const FirmwareImage& image) {
    int pages = 0;
    std::int32_t cursor = 0;
    do {
        if (CutPage(image, cursor).count > 0) ++pages;
    } while (cursor <= image.highestWritten);
    return pages;
}

void FormatData(const FirmwareImage& image, RemoteRequest& request, std::int32_t start, int n) {
    n = std::clamp(n, 0, kMaxRemoteWriteBytes);
    request.bytes[1] = static_cast<std::uint8_t>(n);
    for (int i = 0; i < n && InRemoteArea(start + i); ++i)
        request.bytes[static_cast<std::size_t>(2 + i)] = image.byteAt(start + i);
    request.length = static_cast<std::uint8_t>(n + 2);
}
