#pragma once
// Images of the remotes behind a terminal: S1 files chosen by the remote's product ID,
// read into image addresses 0 to 0xFFFF only.

#include "image/firmwareImage.h"
#include "product/productFiles.h"

#include <cstdint>
#include <istream>
#include <string>

enum class RemoteImageResult {
    Read,             // read up to a valid S9 record
    NoFileForProduct, // the product ID names no remote image file
    FileMissing,      // the file cannot be opened
    Damaged           // a bad or unhandled record, or no S9 record
};

// Fills addresses 0 to 0xFFFF with 0xFF and stores the S1 records of in there (addresses wrap
// from 0xFFFF to 0). True when reading ended at a valid S9 record. The written flags, cursor,
// written range, high-address flag and file version are left as they are.
bool ReadS19Records(FirmwareImage& image, std::istream& in);

// Reads the remote image of productId from the working folder.
RemoteImageResult ReadRemoteImage(FirmwareImage& image, std::uint8_t productId);
// True only when the image was read in full; anything else must not be sent to a remote.
bool ReadS19Data(FirmwareImage& image, std::uint8_t productId);

// The status line that tells the operator why the remote image was refused; empty for Read.
std::string RemoteImageFailureLine(RemoteImageResult result, std::uint8_t productId);
