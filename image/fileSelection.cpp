#include "image/fileSelection.h"

#include "image/applicationFiles.h"
#include "image/fileLookup.h"
#include "image/hexReader.h"
#include "image/motReader.h"

#include <array>

namespace {

const std::array<ApplicationFile, 16> kReportedFiles{{
    {"Terminal-K1.hex", FileFormat::IntelHex},
    {"Terminal-K2.hex", FileFormat::IntelHex},
    {"Terminal-P1.S28", FileFormat::SRecord},
    {"Terminal-P3.S28", FileFormat::SRecord},
    {"Terminal-P4.S28", FileFormat::SRecord},
    {"Terminal-P5.S28", FileFormat::SRecord},
    {"Terminal-P6.S28", FileFormat::SRecord},
    {"Terminal-P7.S28", FileFormat::SRecord},
    {"Terminal-P8.S28", FileFormat::SRecord},
    {"remoteP2.S28", FileFormat::SRecord},
    {"Controller-K2.hex", FileFormat::IntelHex},
    {"AdvancedController-K2.hex", FileFormat::IntelHex},
    {"Host-K2.hex", FileFormat::IntelHex},
    {"QRM-C.hex", FileFormat::IntelHex},
    {"QRM-D.S28", FileFormat::SRecord},
    {"Terminal-P9.s28", FileFormat::SRecord},
}};

bool ReadFile(FirmwareImage& image, Console& console, const ApplicationFile& file) {
    return file.format == FileFormat::IntelHex ? ReadHexFile(image, console, file.name)
                                               : ReadMotFile(image, console, file.name);
}

// A file of the selection table, found in the working folder whatever the case of its name.
bool ReadApplicationFile(FirmwareImage& image, Console& console, const ApplicationFile& file) {
    const std::optional<std::string> found = FindFirmwareFile(console, file.name);
    if (!found) return false;
    return ReadFile(image, console, ApplicationFile{*found, file.format});
}

// The operator's file under "Advanced": the extension decides the reader, letter case
// included; a cancelled dialog or any other extension reads nothing.
std::optional<ApplicationFile> ChosenApplicationFile(Console& console) {
    const std::optional<std::string> chosen = console.chooseFirmwareFile();
    if (!chosen) return std::nullopt;
    const std::string extension = FileExtension(*chosen);
    if (extension == ".hex") return ApplicationFile{*chosen, FileFormat::IntelHex};
    if (extension == ".s28") return ApplicationFile{*chosen, FileFormat::SRecord};
    return std::nullopt;
}

} // namespace

std::string FileExtension(const std::string& path) {
    const std::size_t nameStart = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (nameStart != std::string::npos && dot < nameStart)) return {};
    return path.substr(dot);
}

bool LoadApplicationFile(FirmwareImage& image, Console& console, std::uint8_t productId,
                         UnitType unitType, UpgradeType upgradeType) {
    const std::optional<ApplicationFile> file = upgradeType == UpgradeType::Advanced
                                                    ? ChosenApplicationFile(console)
                                                    : ApplicationFileFor(productId, unitType);
    if (!file) return false;
    image.damagedAtLine = 0;
    const bool chosen = upgradeType == UpgradeType::Advanced;
    const bool read =
        chosen ? ReadFile(image, console, *file) : ReadApplicationFile(image, console, *file);
    if (image.damagedAtLine != 0) {
        console.status(kDamagedFilePrefix + std::to_string(image.damagedAtLine) + "!");
        return false;
    }
    if (read && !image.holdsData()) {
        console.status(kNoDataLine);
        return false;
    }
    return read;
}

void ReportFileVersions(FirmwareImage& image, Console& console, UpgradeType upgradeType) {
    console.status(kVersionsHeading);
    if (upgradeType == UpgradeType::Advanced) {
        if (const std::optional<std::string> chosen = console.chooseFirmwareFile())
            ReadHexFile(image, console, *chosen);
        return;
    }
    for (const ApplicationFile& file : kReportedFiles)
        ReadApplicationFile(image, console, file);
    console.status("");
}
