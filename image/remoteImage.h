#pragma once
// Images of the remotes behind a terminal: S1 files chosen by the remote's product ID,
// read into image addresses 0 to 0xFFFF only.

#include "image/firmwareImage.h"
#include "link/console.h"
#include "link/firmwareTrust.h"
#include "product/productFiles.h"

#include <cstdint>
#include <istream>
#include <string>

enum class RemoteImageResult {
    Read,             // read up to a valid S9 record
    NoFileForProduct, // the product ID names no remote image file
    FileMissing,      // the file cannot be opened
    Damaged,          // a bad or unhandled record, or no S9 record
    Refused           // the trust check refused it: shown already, image.refusal says why
};

// Fills addresses 0 to 0xFFFF with 0xFF and stores the S1 records of in there (addresses wrap
// from 0xFFFF to 0). True when reading ended at a valid S9 record. The written flags, cursor,
// written range, high-address flag and file version are left as they are.
bool ReadS19Records(FirmwareImage& image, std::istream& in);

// Reads the remote image of productId from the working folder, once its bytes have passed the
// check against the run's trust (trust/firmwareCheck.h; a refusal goes to console.refusal).
RemoteImageResult ReadRemoteImage(FirmwareImage& image, std::uint8_t productId, Console& console,
                                  const FirmwareTrust& trust);
// True only when the image was read in full and trust let it through, without a line;
// anything else must not be sent to a remote.
bool ReadS19Data(FirmwareImage& image, std::uint8_t productId, const FirmwareTrust& trust);

// The status line that tells the operator why the remote image was refused; empty for Read
// and for Refused, whose line the trust check wrote.
std::string RemoteImageFailureLine(RemoteImageResult result, std::uint8_t productId);
