#include "product/productFiles.h"

#include "product/productTable.h"

std::optional<ApplicationFile> ApplicationFileFor(std::uint8_t productId, UnitType unitType) {
    const Firmware firmware = firmwareOf(productId, unitType);
    if (firmware.file == nullptr) return std::nullopt;
    return *firmware.file;
}

std::uint8_t GetUpgradeType(std::uint8_t productId, UnitType unitType) {
    return firmwareOf(productId, unitType).upgradeClass;
}

std::optional<std::string> RemoteImageFileName(std::uint8_t productId) {
    const Product* product = findProduct(productId);
    if (product == nullptr || product->remoteImage.empty()) return std::nullopt;
    return std::string(product->remoteImage);
}
