#include "site/firmwareShelf.h"

#include "image/fileSelection.h"
#include "image/remoteImage.h"
#include "link/silentConsole.h"
#include "product/productFiles.h"

#include <string>

namespace {

// The reader's words for a file it found but could not take; the loader says the same in its
// status lines, which the plan does not show.
std::string whyUnreadable(const FirmwareImage& image) {
    if (!image.refusal.empty()) return {};
    if (image.damagedAtLine != 0)
        return kDamagedFilePrefix + std::to_string(image.damagedAtLine) + "!";
    if (!image.fileName.empty() && !image.holdsData()) return kNoDataLine;
    return {};
}

} // namespace

std::optional<ShelfFile> FirmwareShelf::application(int productId, UnitType unitType) {
    const auto id = static_cast<std::uint8_t>(productId);
    const std::optional<ApplicationFile> file = ApplicationFileFor(id, unitType);
    if (!file) return std::nullopt;
    const std::string name(file->name);
    auto known = read_.find(name);
    if (known == read_.end()) {
        SilentConsole quiet;
        image_.fileName.clear();
        ShelfFile shelf{
            name,
            LoadApplicationFile(image_, quiet, id, unitType, UpgradeType::SingleUnit, trust_),
            std::nullopt,
            image_.fileSha256,
            image_.refusal,
            {}};
        if (shelf.readable)
            shelf.version = image_.fileVersion;
        else
            shelf.unreadable = whyUnreadable(image_);
        known = read_.emplace(name, shelf).first;
    }
    return known->second;
}

std::optional<ShelfFile> FirmwareShelf::remoteImage(int productId) {
    const auto id = static_cast<std::uint8_t>(productId);
    const std::optional<std::string> name = RemoteImageFileName(id);
    if (!name) return std::nullopt;
    auto known = read_.find(*name);
    if (known == read_.end()) {
        SilentConsole quiet;
        ShelfFile shelf{
            *name,          ReadRemoteImage(image_, id, quiet, trust_) == RemoteImageResult::Read,
            std::nullopt,   image_.fileSha256,
            image_.refusal, {}};
        known = read_.emplace(*name, shelf).first;
    }
    return known->second;
}
