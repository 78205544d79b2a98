// Feeds arbitrary bytes to the Intel HEX reader as the contents of a file.

#include "fuzzChecks.h"
#include "image/hexReader.h"

#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FirmwareImage image;
    std::istringstream in{std::string(AsText(data, size))};
    ReadHexRecords(image, in);
    CheckWrittenBytes(image, {{0x4000, 0xFC00}, {0x22000, 0x30000}, {0x34000, 0x3FC00}});
    CheckPages(image);
    return 0;
}
