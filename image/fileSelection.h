#pragma once
// Reading the application file of a product (or the operator's file under "Advanced") into
// the firmware image, and the versions report of the files at hand.

#include "image/firmwareImage.h"
#include "image/unitChoice.h"
#include "link/console.h"
#include "link/trustSettings.h"

#include <cstdint>
#include <string>

inline constexpr const char* kVersionsHeading = "Application File Versions:";
inline constexpr const char* kDamagedFilePrefix = "Application File damaged at line ";
inline constexpr const char* kNoDataLine = "Application File holds no data!";

// True only when a fresh, whole image was read from the product's file (under "Advanced" the
// file that the operator chose, ".hex" or ".s28"). A damaged file, and one that the reader
// accepts without a byte for the flash (a text page, blank lines, records outside the flash
// windows), are reported and refused: the unit would be erased and left empty. The file's bytes
// pass the trust check first (trust/firmwareCheck.h): a refused file is not read, its refusal
// goes to Console::refusal and stays in image.refusal. The engine passes its session's trust;
// the default (no trusted key) still holds every file to the folder's SHA256SUMS.
bool LoadApplicationFile(FirmwareImage& image, Console& console, std::uint8_t productId,
                         UnitType unitType, UpgradeType upgradeType,
                         const TrustSettings& trust = {});

// The "&File Versions" report: the version line of every application file present, in a
// fixed order; under "Advanced" the version of the one file that the operator chooses.
void ReportFileVersions(FirmwareImage& image, Console& console, UpgradeType upgradeType);

// The text from the last "." of the file name on, dot included; empty when it has none.
std::string FileExtension(const std::string& path);
