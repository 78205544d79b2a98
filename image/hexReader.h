#pragma once
// Intel HEX application files: 16-bit images and images placed by extended linear address
// records, stored only inside the three flash windows of the units.

#include "image/firmwareImage.h"
#include "link/console.h"

#include <cstdint>
#include <istream>
#include <string>

// The checksum that the record on this line should carry (0 for a zero-length record).
std::uint8_t HexFileChecksum(const std::string& line);

// Prepares the image, reads records from in, sets the file version and marks the image
// damaged when reading stopped before data records that follow. True when at least one
// record other than an extended linear address record was taken in.
bool ReadHexRecords(FirmwareImage& image, std::istream& in);

// Reads the named file (as passed: a bare name lies in the working folder) and writes its
// version line. False without touching the image or the log when the file does not exist.
bool ReadHexFile(FirmwareImage& image, Console& console, const std::string& fileName);
// The same, with the version line naming the file as shownName (the reader opens fileName).
bool ReadHexFile(FirmwareImage& image, Console& console, const std::string& fileName,
                 const std::string& shownName);
