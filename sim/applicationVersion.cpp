#include "sim/applicationVersion.h"

#include <algorithm>
#include <array>

namespace sim {

namespace {
constexpr std::array<std::uint8_t, 24> kSRecordProducts{
    4, 30, 36, 37, 38, 39, 40, 41, 42, 46, 50, 69, 70, 71, 72, 74, 81, 82, 83, 84, 89, 91, 92, 93};
} // namespace

bool usesSRecordFile(std::uint8_t productId) {
    return std::find(kSRecordProducts.begin(), kSRecordProducts.end(), productId) !=
           kSRecordProducts.end();
}

VersionPlace resolveVersionPlace(const Unit& unit) {
    if (unit.versionPlace != VersionPlace::Auto) return unit.versionPlace;
    if (usesSRecordFile(unit.productId)) return VersionPlace::SRecord;
    return unit.flash.highAddressesSeen() ? VersionPlace::HexHigh : VersionPlace::Hex16;
}

std::uint32_t versionCell(VersionPlace place) {
    switch (place) {
    case VersionPlace::HexHigh:
        return 0x3FBFC;
    case VersionPlace::SRecord:
        return 0x39F00;
    case VersionPlace::Hex16:
    case VersionPlace::Auto:
        break;
    }
    return 0xFBFC;
}

std::uint16_t flashedVersion(const Unit& unit) {
    std::uint32_t cell = versionCell(resolveVersionPlace(unit));
    return static_cast<std::uint16_t>(unit.flash.at(cell) << 8 | unit.flash.at(cell + 1));
}

} // namespace sim
