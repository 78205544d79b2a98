#pragma once
// Reading the application file of a product (or the operator's file under "Advanced") into
// the firmware image, and the versions report of the files at hand.

#include "image/firmwareImage.h"
#include "image/unitChoice.h"
#include "link/console.h"
#include "link/firmwareTrust.h"

#include <cstdint>
#include <string>

inline constexpr const char* kVersionsHeading = "Application File Versions:";
inline constexpr const char* kDamagedFilePrefix = "Application File damaged at line ";
inline constexpr const char* kNoDataLine = "Application File holds no data!";

// True only when a fresh, whole image was read from the product's file (under "Advanced" the
// file that the operator chose, ".hex" or ".s28"). A damaged file, and one that the reader
// accepts without a byte for the flash (a text page, blank lines, records outside the flash
// windows), are reported and refused: the unit would be erased and left empty. The file's bytes
// pass the check against the run's trust first (trust/firmwareCheck.h): a refused file, and one
// that is there but cannot be read, is not read; its refusal goes to Console::refusal and stays
// in image.refusal.
bool LoadApplicationFile(FirmwareImage& image, Console& console, std::uint8_t productId,
                         UnitType unitType, UpgradeType upgradeType, const FirmwareTrust& trust);

// The "&File Versions" report: the version line of every application file present, in a
// fixed order; under "Advanced" the version of the one file that the operator chooses. A file
// that trust refuses has its refusal line beneath its version.
void ReportFileVersions(FirmwareImage& image, Console& console, UpgradeType upgradeType,
                        const FirmwareTrust& trust);

// The text from the last "." of the file name on, dot included; empty when it has none.
std::string FileExtension(const std::string& path);
