// Feeds arbitrary bytes to the remote image reader, then cuts the remote's write requests.

#include "fuzzChecks.h"
#include "image/remoteImage.h"

#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FirmwareImage image;
    std::istringstream in{std::string(AsText(data, size))};
    ReadS19Records(image, in);
    // The remote reader leaves everything but the low 64 KiB of bytes alone.
    Require(image.cursor == 0 && image.highestWritten == 0 && !image.isWritten(0));
    RemoteRequest request;
    for (std::int32_t start = 0xE300; start <= 0xFDC0; start += 32) {
        FormatData(image, request, start, 32);
        Require(request.length == 34);
    }
    FormatData(image, request, 0xFFDC, 4);
    FormatData(image, request, 0xFFE0, 32);
    Require(request.length == 34 && request.bytes[33] == image.bytes[0xFFFF]);
    return 0;
}
