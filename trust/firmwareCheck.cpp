#include "trust/firmwareCheck.h"

#include "trust/checksumList.h"
#include "trust/crypto.h"

#include <filesystem>

namespace {

// The list's name as the check reports it, relative to the working folder where it lies there.
std::string listedName(const std::string& name) {
    std::error_code error;
    const std::filesystem::path path(name);
    if (!path.is_absolute()) return name;
    const std::filesystem::path relative =
        std::filesystem::relative(path, std::filesystem::current_path(error), error);
    if (error || relative.empty() || relative.generic_string().starts_with("..")) return name;
    return relative.generic_string();
}

} // namespace

FileVerdict CheckFirmwareFile(Console& console, const FirmwareTrust& trust, const std::string& name,
                              std::string_view bytes) {
    FileVerdict verdict{LowerHex(Sha256Of(bytes)), {}};
    if (!trust.refusal.empty()) {
        verdict.refusal = "Firmware file " + name + " refused: " + trust.refusal;
        return verdict;
    }
    if (!trust.digests) return verdict;
    if (!trust.signatureLine.empty()) console.status(trust.signatureLine);
    const std::optional<std::string> listed = ListedDigest(*trust.digests, listedName(name));
    if (!listed)
        verdict.refusal = "Firmware file " + name + " is not listed in " + kChecksumListName;
    else if (*listed != verdict.sha256)
        verdict.refusal = "Firmware file " + name + " does not match " + kChecksumListName +
                          " (sha256 " + verdict.sha256 + ")";
    return verdict;
}

FileVerdict CheckFirmwareRead(Console& console, const FirmwareTrust& trust, const std::string& name,
                              const WholeFile& file) {
    if (!file.error.empty())
        return {{}, "Firmware file " + name + " cannot be read (" + file.error + ")"};
    if (file.tooLarge)
        return {{},
                "Firmware file " + name + " refused: larger than " +
                    std::to_string(kFirmwareFileLimit >> 20) + " MiB"};
    return CheckFirmwareFile(console, trust, name, file.bytes);
}
