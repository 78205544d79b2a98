#include "sim/replyLayouts.h"

#include "sim/frameCrc.h"
#include "sim/hexCodec.h"

#include <algorithm>

namespace sim {

namespace {
constexpr std::uint8_t kUpgradeModeBit = 0x20;
// Characters 40 to 55 of the information reply, which the tool does not read.
constexpr char kInfoReserved[] = "0000000000000000";
constexpr std::size_t kTextWidth = 10;
constexpr std::size_t kMaxListEntries = 0xFF;
} // namespace

std::uint8_t statusByte(const Unit& unit) {
    std::uint8_t status =
        (unit.statusBits | unit.laChangeBits) & static_cast<std::uint8_t>(~kUpgradeModeBit);
    return unit.upgradeMode ? static_cast<std::uint8_t>(status | kUpgradeModeBit) : status;
}

std::string statusData(std::uint8_t status) {
    return hex2(status);
}

std::string unitInfoData(const Unit& unit, std::uint16_t secondVersion) {
    bool valid = !unit.upgradeMode;
    std::string text = unit.text.substr(0, kTextWidth);
    text.resize(kTextWidth, ' ');
    return hex2(statusByte(unit)) + hex4(unit.infoWord) + hex4(valid ? unit.version : 0) +
           hex4(valid ? secondVersion : 0) + hex8(unit.fixedAddress) + hex2(unit.productId) +
           kInfoReserved + text;
}

std::string identificationData(const Unit& unit) {
    return hex2(statusByte(unit)) + hex8(unit.fixedAddress) + hex2(unit.la) + hex2(unit.productId);
}

std::string unitListData(std::uint8_t status, const std::vector<ListedUnit>& units) {
    std::size_t count = std::min(units.size(), kMaxListEntries);
    std::string data = hex2(status) + hex2(static_cast<std::uint8_t>(count));
    for (std::size_t i = 0; i < count; ++i)
        data += hex2(units[i].la) + hex8(units[i].fixedAddress) + hex2(units[i].productId);
    return data;
}

std::string upgradeModeData(std::uint8_t status, std::uint16_t bootVersion,
                            std::uint16_t appVersion) {
    return hex2(status) + hex4(bootVersion) + hex4(appVersion);
}

std::string flashStatusData(std::uint8_t status, std::uint8_t errorCode) {
    return hex2(status) + "00" + hex2(errorCode);
}

std::string eraseWriteData(std::uint8_t status, std::uint8_t errorCode) {
    return hex2(status) + hex2(errorCode);
}

std::string bytesData(std::uint8_t status, const std::vector<std::uint8_t>& bytes) {
    std::string data = hex2(status);
    for (std::uint8_t b : bytes)
        data += hex2(b);
    return data;
}

std::string replyFrame(const std::string& unitAddress, const std::string& sequence,
                       const std::string& data) {
    return withCrc("%000001" + unitAddress + sequence + data) + "\r";
}

} // namespace sim
