#pragma once
// Motorola S-record application files: S2 records of 24-bit addresses, placed modulo 256 KiB
// and stored below 0x3A000. Their page addresses always go out with 0xFC0000 added.

#include "image/firmwareImage.h"
#include "link/console.h"

#include <istream>
#include <string>

// True when the record on this line is complete and its bytes add up to 0xFF.
bool MotFileChecksum(const std::string& line);

// Whether the line is an S1, S2 or S3 record, the ones that carry image data.
bool IsSRecordData(const std::string& line);

// Prepares the image, reads S2 records from in, sets the file version and marks the image
// damaged when reading stopped before data records that follow. True when at least one S2
// record was taken in.
bool ReadMotRecords(FirmwareImage& image, std::istream& in);

// Reads the named file and writes its version line. False without touching the image or the
// log when the file does not exist.
bool ReadMotFile(FirmwareImage& image, Console& console, const std::string& fileName);
// The same, with the version line naming the file as shownName (the reader opens fileName).
bool ReadMotFile(FirmwareImage& image, Console& console, const std::string& fileName,
                 const std::string& shownName);
