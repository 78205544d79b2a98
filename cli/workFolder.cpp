#include "workFolder.h"

#include "captureSetup.h"
#include "trust/folderFirmware.h"

#include <chrono>

namespace {
// What a run reads from its working folder besides the firmware files.
constexpr const char* kTrustFiles[] = {"SHA256SUMS", "SHA256SUMS.minisig"};
} // namespace

WorkFolder::~WorkFolder() {
    leave();
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

bool WorkFolder::make(std::string& error) {
    std::error_code failed;
    const auto base = std::filesystem::temp_directory_path(failed);
    if (failed) {
        error = "no temporary folder: " + failed.message();
        return false;
    }
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = base / ("nexalo-replay-" + std::to_string(stamp));
    if (!std::filesystem::create_directory(path_, failed)) {
        error = "cannot make " + path_.string() + ": " + failed.message();
        path_.clear();
        return false;
    }
    for (const capture::FirmwareFile& firmware : FolderFirmwareDigests())
        std::filesystem::copy_file(firmware.name, path_ / firmware.name, failed);
    for (const char* name : kTrustFiles)
        if (std::filesystem::exists(name, failed))
            std::filesystem::copy_file(name, path_ / name, failed);
    return true;
}

void WorkFolder::enter() {
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(path_);
    entered_ = true;
}

void WorkFolder::leave() {
    if (!entered_) return;
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    entered_ = false;
}

std::string absolutePath(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::absolute(path, ignored).string();
}
