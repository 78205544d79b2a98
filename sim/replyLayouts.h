#pragma once
// The data of each reply layout, from the status byte up to the CRC.

#include "sim/unitModel.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

std::uint8_t statusByte(const Unit& unit);

std::string statusData(std::uint8_t status);
std::string unitInfoData(const Unit& unit, std::uint16_t secondVersion);
std::string identificationData(const Unit& unit);
struct ListedUnit {
    std::uint8_t la;
    std::uint32_t fixedAddress;
    std::uint8_t productId;
};
std::string unitListData(std::uint8_t status, const std::vector<ListedUnit>& units);
std::string upgradeModeData(std::uint8_t status, std::uint16_t bootVersion,
                            std::uint16_t appVersion);
std::string flashStatusData(std::uint8_t status, std::uint8_t errorCode);
std::string eraseWriteData(std::uint8_t status, std::uint8_t errorCode);
std::string bytesData(std::uint8_t status, const std::vector<std::uint8_t>& bytes);

// The whole reply frame: "%", ten header characters, sequence, data, CRC, carriage return.
std::string replyFrame(const std::string& unitAddress, const std::string& sequence,
                       const std::string& data);

} // namespace sim
