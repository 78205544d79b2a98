#pragma once
// The working folder of an upgrade benchmark: a fresh one holding the one generated firmware
// file the run reads, removed at the end.

#include "hexWriter.h"
#include "imageContent.h"
#include "tests/support/workingFolder.h"

#include <fstream>
#include <string>

class BenchFolder : public WorkingFolder {
public:
    // An Intel HEX file of size application bytes and version major.minor, named as the
    // product's application file.
    BenchFolder(const std::string& fileName, fwgen::FileFormat format, std::uint8_t major,
                std::uint8_t minor, std::uint32_t size, std::uint64_t seed) {
        std::ofstream(fileName) << fwgen::writeIntelHex(
            fwgen::buildImage({format, major, minor, size, seed}),
            format == fwgen::FileFormat::HexExtended);
    }
};
