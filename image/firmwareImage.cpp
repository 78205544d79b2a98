#include "image/firmwareImage.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

void FirmwareImage::store(std::int32_t address, std::uint8_t value) {
    if (!inImage(address)) return;
    bytes[static_cast<std::size_t>(address)] = value;
    written[static_cast<std::size_t>(address)] = 1;
    if (highestWritten < address) highestWritten = address;
}

void FirmwareImage::prepareApplication(std::int32_t lowest, bool highAddressFlag) {
    std::memset(bytes.data(), kFill, kApplicationSize);
    std::memset(written.data(), 0, kApplicationSize);
    cursor = 0;
    lowestWritten = lowest;
    highestWritten = 0;
    highAddress = highAddressFlag;
    damagedAtLine = 0;
}

bool FirmwareImage::holdsData() const {
    return std::ranges::find(written, std::uint8_t{1}) != written.end();
}

void FirmwareImage::takeVersionFrom(std::int32_t majorAddress) {
    fileVersion = static_cast<std::uint16_t>(byteAt(majorAddress) << 8 | byteAt(majorAddress + 1));
}

std::string VersionLine(std::uint16_t version, const std::string& fileName) {
    char text[32];
    std::snprintf(text, sizeof text, "V%d.%.2d  ", version >> 8, version & 0xFF);
    return text + fileName;
}
