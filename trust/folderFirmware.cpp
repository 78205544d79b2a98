#include "folderFirmware.h"

#include "crypto.h"
#include "wholeFile.h"

#include <algorithm>
#include <filesystem>

namespace {

constexpr const char* kFirmwareExtensions[] = {".hex", ".s28", ".s19"};
// Larger than any unit's flash as text.
constexpr std::size_t kLargestFirmwareFile = 64u << 20;

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

std::vector<capture::FirmwareFile> FolderFirmwareDigests() {
    std::vector<capture::FirmwareFile> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(".", error)) {
        const std::string extension = lowerCase(entry.path().extension().string());
        if (std::find(std::begin(kFirmwareExtensions), std::end(kFirmwareExtensions), extension) ==
            std::end(kFirmwareExtensions))
            continue;
        const std::string name = entry.path().filename().string();
        const WholeFile file = ReadWholeFile(name, kLargestFirmwareFile);
        if (file.read()) files.push_back({name, LowerHex(Sha256Of(file.bytes))});
    }
    std::sort(files.begin(), files.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    return files;
}
