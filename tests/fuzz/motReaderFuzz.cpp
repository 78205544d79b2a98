// Feeds arbitrary bytes to the S2 application reader as the contents of a file.

#include "fuzzChecks.h"
#include "image/motReader.h"

#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FirmwareImage image;
    std::istringstream in{std::string(AsText(data, size))};
    ReadMotRecords(image, in);
    CheckWrittenBytes(image, {{0, 0x3A000}});
    CheckPages(image);
    return 0;
}
