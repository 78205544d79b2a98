#pragma once
// Cutting the firmware image into what goes to a unit: flash pages for the "E3" command and
// write data for a remote's request.

#include "image/firmwareImage.h"

#include <array>
#include <cstdint>
#include <string>

// The request to a remote behind a terminal: byte 0 the request code, then its arguments.
struct RemoteRequest {
    std::array<std::uint8_t, 256> bytes{};
    std::uint8_t length = 0;
};

// Largest page of one "E3" command.
inline constexpr int kMaxPageBytes = 128;
// Largest write data of one remote request (the length n + 2 must fit its byte).
inline constexpr int kMaxRemoteWriteBytes = 253;

// The next page from the image cursor on: 8 hex digits of address (0xFC0000 added for a
// high-address image), 4 of count, then the bytes. Pages start at the first written byte and
// are not aligned. Advances the cursor; empty when no written byte was met.
std::string FormatWriteData(FirmwareImage& image);

// How many pages FormatWriteData cuts from the image when its cursor starts at 0: the length
// of an upgrade's page loop. The image is left as it is.
int CountPages(const FirmwareImage& image);

// Sets request byte 1 to n and copies image bytes from start into bytes 2 onwards while they
// lie in a remote's application or vector area; the request length is n + 2 all the same.
void FormatData(const FirmwareImage& image, RemoteRequest& request, std::int32_t start, int n);
