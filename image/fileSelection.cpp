#include "image/fileSelection.h"

#include "image/fileLookup.h"
#include "image/hexReader.h"
#include "image/motReader.h"
#include "link/silentConsole.h"
#include "product/productFiles.h"
#include "trust/firmwareCheck.h"
#include "trust/wholeFile.h"

#include <array>
#include <sstream>

namespace {

using namespace files;

// The order and spelling of the report, which technicians compare from site to site.
constexpr std::array kReportedFiles{TerminalK1, TerminalK2, TerminalP1,   TerminalP3,
                                    TerminalP4, TerminalP5, TerminalP6,   TerminalP7,
                                    TerminalP8, RemoteP2,   ControllerK2, AdvancedControllerK2,
                                    HostK2,     QrmC,       QrmD,         TerminalP9Reported};

bool ReadFile(FirmwareImage& image, Console& console, const std::string& path, FileFormat format,
              const std::string& shownName) {
    return format == FileFormat::IntelHex ? ReadHexFile(image, console, path, shownName)
                                          : ReadMotFile(image, console, path, shownName);
}

// A file to be sent: read once into memory, so that the bytes checked are the bytes used, and
// taken only when the run's trust lets them through.
bool ReadCheckedFile(FirmwareImage& image, Console& console, const FirmwareTrust& trust,
                     const std::string& path, FileFormat format) {
    const WholeFile file = ReadWholeFile(path, kFirmwareFileLimit);
    if (!file.exists) return false;
    const FileVerdict verdict = CheckFirmwareRead(console, trust, path, file);
    image.fileName = path;
    image.fileSha256 = verdict.sha256;
    image.refusal = verdict.refusal;
    if (!verdict.accepted()) {
        console.refusal(verdict.refusal);
        return false;
    }
    std::istringstream in(file.bytes);
    const bool read =
        format == FileFormat::IntelHex ? ReadHexRecords(image, in) : ReadMotRecords(image, in);
    console.status(VersionLine(image.fileVersion, path));
    return read;
}

// A file to read: its name as the table or the operator gives it, and its reader.
struct NamedFile {
    std::string name;
    FileFormat format;
};

// A file of the selection table, found in the working folder whatever the case of its name;
// its version line names the entry found.
bool ReadApplicationFile(FirmwareImage& image, Console& console, const FirmwareTrust& trust,
                         const NamedFile& file) {
    const std::optional<std::string> found = FindFirmwareFile(console, file.name);
    if (!found) return false;
    return ReadCheckedFile(image, console, trust, *found, file.format);
}

// A file the run's trust refuses is said beneath its version line: the report is where the
// operator looks before a run.
void ReportRefusal(Console& console, const FirmwareTrust& trust, const std::string& path) {
    const WholeFile file = ReadWholeFile(path, kFirmwareFileLimit);
    if (!file.exists) return;
    SilentConsole quiet;
    const FileVerdict verdict = CheckFirmwareRead(quiet, trust, path, file);
    if (!verdict.accepted()) console.status(verdict.refusal);
}

// A file of the report, found as the selection finds it but named as the report spells it.
void ReadReportedFile(FirmwareImage& image, Console& console, const FirmwareTrust& trust,
                      const ApplicationFile& file) {
    const std::string name(file.name);
    const std::optional<std::string> found = FindFirmwareFile(console, name);
    if (!found) return;
    ReadFile(image, console, *found, file.format, name);
    ReportRefusal(console, trust, *found);
}

// The operator's file under "Advanced": the extension decides the reader, letter case
// included; a cancelled dialog or any other extension reads nothing.
std::optional<NamedFile> ChosenApplicationFile(Console& console) {
    const std::optional<std::string> chosen = console.chooseFirmwareFile();
    if (!chosen) return std::nullopt;
    const std::string extension = FileExtension(*chosen);
    if (extension == ".hex") return NamedFile{*chosen, FileFormat::IntelHex};
    if (extension == ".s28") return NamedFile{*chosen, FileFormat::SRecord};
    return std::nullopt;
}

std::optional<NamedFile> SelectedFile(Console& console, std::uint8_t productId, UnitType unitType,
                                      UpgradeType upgradeType) {
    if (upgradeType == UpgradeType::Advanced) return ChosenApplicationFile(console);
    if (const std::optional<ApplicationFile> file = ApplicationFileFor(productId, unitType))
        return NamedFile{std::string(file->name), file->format};
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
                         UnitType unitType, UpgradeType upgradeType, const FirmwareTrust& trust) {
    image.refusal.clear();
    const std::optional<NamedFile> file = SelectedFile(console, productId, unitType, upgradeType);
    if (!file) return false;
    image.damagedAtLine = 0;
    const bool chosen = upgradeType == UpgradeType::Advanced;
    const bool read = chosen ? ReadCheckedFile(image, console, trust, file->name, file->format)
                             : ReadApplicationFile(image, console, trust, *file);
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

void ReportFileVersions(FirmwareImage& image, Console& console, UpgradeType upgradeType,
                        const FirmwareTrust& trust) {
    console.status(kVersionsHeading);
    if (upgradeType == UpgradeType::Advanced) {
        if (const std::optional<std::string> chosen = console.chooseFirmwareFile()) {
            ReadHexFile(image, console, *chosen);
            ReportRefusal(console, trust, *chosen);
        }
        return;
    }
    for (const ApplicationFile& file : kReportedFiles)
        ReadReportedFile(image, console, trust, file);
    console.status("");
}
