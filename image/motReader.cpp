#include "image/motReader.h"

#include "image/lineReader.h"

#include <filesystem>
#include <fstream>

namespace {

// The termination record of the units' application files; other S8 records are skipped.
constexpr const char* kApplicationEnd = "S804000000FB";
constexpr std::uint32_t kAddressMask = 0x3FFFF;
constexpr std::int32_t kHighestStored = 0x39FFF;
constexpr std::int32_t kVersionAddress = 0x39F00;
// Count = 3 address bytes + data + checksum; beyond 122 data bytes is no file of a unit.
constexpr std::uint32_t kMinS2Count = 4;
constexpr std::uint32_t kMaxS2Count = 122 + 4;

void StoreS2Data(FirmwareImage& image, const std::string& line, std::uint32_t dataBytes) {
    for (std::uint32_t i = 0; i < dataBytes; ++i) {
        const std::int32_t address = image.cursor;
        if (address >= 0 && address <= kHighestStored) {
            image.store(address, static_cast<std::uint8_t>(HexField(line, 11 + 2 * i, 2)));
            if (image.lowestWritten > address) image.lowestWritten = address;
        }
        if (i + 1 < dataBytes) ++image.cursor;
    }
}

} // namespace

bool MotFileChecksum(const std::string& line) {
    const std::uint32_t count = HexField(line, 3, 2);
    if (line.size() < 4 + 2 * static_cast<std::size_t>(count)) return false;
    std::uint32_t sum = 0;
    for (std::uint32_t pair = 0; pair <= count; ++pair)
        sum += HexField(line, 3 + 2 * pair, 2);
    return (sum & 0xFF) == 0xFF;
}

bool IsSRecordData(const std::string& line) {
    // Either case: a record that the reader cannot take is still data the image lacks.
    return line.size() >= 2 && (line[0] == 'S' || line[0] == 's') && line[1] >= '1' &&
           line[1] <= '3';
}

bool ReadMotRecords(FirmwareImage& image, std::istream& in) {
    image.prepareApplication(kHighestStored, true);
    bool result = false;
    LineReader reader(in);
    std::string line;
    while (reader.next(line)) {
        const bool isS2 = line.starts_with("S2");
        const std::uint32_t count = HexField(line, 3, 2);
        const bool countHandled = !isS2 || (count >= kMinS2Count && count <= kMaxS2Count);
        if (reader.lineTooLong() || !MotFileChecksum(line) || !countHandled) {
            const int stopLine = reader.lineNumber();
            if (DataRecordsLeft(line, reader, IsSRecordData)) image.damagedAtLine = stopLine;
            break;
        }
        if (line == kApplicationEnd) break;
        if (!isS2) continue;
        image.cursor = static_cast<std::int32_t>(HexField(line, 5, 6) & kAddressMask);
        StoreS2Data(image, line, count - 4);
        result = true;
    }
    image.takeVersionFrom(kVersionAddress);
    return result;
}

bool ReadMotFile(FirmwareImage& image, Console& console, const std::string& fileName) {
    return ReadMotFile(image, console, fileName, fileName);
}

bool ReadMotFile(FirmwareImage& image, Console& console, const std::string& fileName,
                 const std::string& shownName) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(fileName, error)) return false;
    std::ifstream file(fileName, std::ios::binary);
    if (!file) return false;
    const bool result = ReadMotRecords(image, file);
    console.status(VersionLine(image.fileVersion, shownName));
    return result;
}
