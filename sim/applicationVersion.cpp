#include "sim/applicationVersion.h"

#include "product/productFiles.h"

namespace sim {

namespace {
// The unit type under which the tool chooses a file for this kind of unit.
UnitType unitTypeOf(const Unit& unit) {
    switch (unit.kind) {
    case UnitKind::Controller:
        return unit.model == ControllerModel::CD ? UnitType::ControllerCD : UnitType::ControllerAB;
    case UnitKind::Host:
        return UnitType::HostInterface;
    case UnitKind::Terminal:
    case UnitKind::BusTerminal:
        break;
    }
    return UnitType::Terminal;
}
} // namespace

bool usesSRecordFile(const Unit& unit) {
    std::optional<ApplicationFile> file = ApplicationFileFor(unit.productId, unitTypeOf(unit));
    return file && file->format == FileFormat::SRecord;
}

VersionPlace resolveVersionPlace(const Unit& unit) {
    if (unit.versionPlace != VersionPlace::Auto) return unit.versionPlace;
    if (usesSRecordFile(unit)) return VersionPlace::SRecord;
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
