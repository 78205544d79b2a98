#include "image/applicationFiles.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <span>

namespace {

// A row for every unit type.
constexpr std::optional<UnitType> kAnyUnitType{};

struct FileRow {
    std::initializer_list<std::uint8_t> productIds;
    std::optional<UnitType> unitType;
    FileFormat format;
    const char* name;
};

const std::array<FileRow, 17> kFileRows{{
    {{2, 7, 8, 9, 10, 11, 12, 14}, kAnyUnitType, FileFormat::IntelHex, "Terminal-K1.hex"},
    {{3, 6, 20}, kAnyUnitType, FileFormat::IntelHex, "Terminal-K2.hex"},
    {{4}, kAnyUnitType, FileFormat::SRecord, "Terminal-P3.S28"},
    {{5}, UnitType::ControllerAB, FileFormat::IntelHex, "Controller-K2.hex"},
    {{5}, UnitType::ControllerCD, FileFormat::IntelHex, "QRM-C.hex"},
    {{18}, kAnyUnitType, FileFormat::IntelHex, "Host-K2.hex"},
    {{28}, kAnyUnitType, FileFormat::IntelHex, "AdvancedController-K2.hex"},
    {{30, 36, 37}, kAnyUnitType, FileFormat::SRecord, "Terminal-P1.S28"},
    {{38}, kAnyUnitType, FileFormat::SRecord, "Terminal-P4.S28"},
    {{39}, kAnyUnitType, FileFormat::SRecord, "Terminal-P5.S28"},
    {{40}, kAnyUnitType, FileFormat::SRecord, "Terminal-P6.S28"},
    {{41, 42, 46}, kAnyUnitType, FileFormat::SRecord, "Terminal-P7.S28"},
    {{50}, UnitType::ControllerCD, FileFormat::SRecord, "QRM-D.S28"},
    {{50}, UnitType::Terminal, FileFormat::SRecord, "Terminal-P9.s28"},
    {{69, 74, 92}, kAnyUnitType, FileFormat::SRecord, "remoteP2.S28"},
    {{70, 71, 72}, kAnyUnitType, FileFormat::SRecord, "Terminal-P8.S28"},
    {{81, 82, 83, 84, 89, 91, 93}, kAnyUnitType, FileFormat::SRecord, "Terminal-P9.s28"},
}};

struct ClassRow {
    std::uint8_t first;
    std::uint8_t last;
    std::uint8_t upgradeClass;
};

// Product 5 depends on the unit type and is decided before this table.
constexpr std::array<ClassRow, 28> kClassRows{{
    {3, 3, 2},    {6, 6, 2},    {20, 20, 2},  {28, 28, 3},  {4, 4, 5},    {38, 38, 6},
    {39, 39, 7},  {40, 40, 8},  {41, 42, 9},  {46, 46, 9},  {70, 72, 10}, {30, 30, 11},
    {36, 37, 11}, {31, 35, 12}, {55, 62, 12}, {69, 69, 13}, {50, 50, 14}, {64, 64, 15},
    {76, 79, 15}, {74, 74, 16}, {81, 84, 17}, {89, 89, 17}, {91, 91, 17}, {93, 93, 17},
    {85, 88, 18}, {90, 90, 18}, {94, 97, 18}, {92, 92, 19},
}};

constexpr std::uint8_t kControllerProduct = 5;
constexpr std::uint8_t kClassSharedWithTerminalK2 = 2;
constexpr std::uint8_t kClassQrmC = 4;

} // namespace

std::optional<ApplicationFile> ApplicationFileFor(std::uint8_t productId, UnitType unitType) {
    for (const FileRow& row : kFileRows) {
        const bool product = std::ranges::find(row.productIds, productId) != row.productIds.end();
        if (product && (!row.unitType || *row.unitType == unitType))
            return ApplicationFile{row.name, row.format};
    }
    return std::nullopt;
}

std::uint8_t GetUpgradeType(std::uint8_t productId, UnitType unitType) {
    if (productId == kControllerProduct) {
        if (unitType == UnitType::ControllerAB) return kClassSharedWithTerminalK2;
        if (unitType == UnitType::ControllerCD) return kClassQrmC;
        return 0;
    }
    for (const ClassRow& row : kClassRows)
        if (productId >= row.first && productId <= row.last) return row.upgradeClass;
    return 0;
}
