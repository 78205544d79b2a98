#include "image/pageFormat.h"

#include "link/catalogue.h"

#include <algorithm>

namespace {

// Pages never reach into the last 1 KiB of flash, which the readers leave alone.
constexpr std::int32_t kLastPageAddress = FirmwareImage::kApplicationSize - 1;

bool InRemoteArea(std::int32_t address) {
    return (address >= remote::ApplicationFirst && address <= remote::ApplicationLast) ||
           (address >= remote::VectorFirst && address <= remote::VectorLast);
}

void AppendHex(std::string& text, unsigned value, int digits) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        text += kDigits[(value >> shift) & 0xF];
}

} // namespace

std::string FormatWriteData(FirmwareImage& image) {
    std::string data;
    int count = 0;
    std::int32_t start = 0;
    do {
        const std::int32_t address = image.cursor;
        if (address >= 0 && address <= kLastPageAddress) {
            const bool written = image.isWritten(address);
            if (count == 0 && written) start = address;
            if (count > 0 || written) {
                AppendHex(data, image.byteAt(address), 2);
                ++count;
            }
        } else if (count > 0) {
            break;
        }
        ++image.cursor;
    } while (count < kMaxPageBytes && image.cursor <= image.highestWritten);
    if (count == 0) return {};
    std::uint32_t pageAddress = static_cast<std::uint32_t>(start);
    if (image.highAddress) pageAddress += FirmwareImage::kHighAddressOffset;
    std::string page;
    AppendHex(page, pageAddress, 8);
    AppendHex(page, static_cast<unsigned>(count), 4);
    return page + data;
}

void FormatData(const FirmwareImage& image, RemoteRequest& request, std::int32_t start, int n) {
    n = std::clamp(n, 0, kMaxRemoteWriteBytes);
    request.bytes[1] = static_cast<std::uint8_t>(n);
    for (int i = 0; i < n && InRemoteArea(start + i); ++i)
        request.bytes[static_cast<std::size_t>(2 + i)] = image.byteAt(start + i);
    request.length = static_cast<std::uint8_t>(n + 2);
}
