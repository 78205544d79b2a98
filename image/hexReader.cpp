#include "image/hexReader.h"

#include "image/lineReader.h"

#include <filesystem>
#include <fstream>

namespace {

constexpr std::uint32_t kDataRecord = 0x00;
constexpr std::uint32_t kEndOfFile = 0x01;
constexpr std::uint32_t kExtendedLinearAddress = 0x04;
// Extended linear addresses keep only bits 16 and 17: images are placed modulo 256 KiB.
constexpr std::uint32_t kUpperAddressMask = 0x30000;
// Lines of more data bytes are longer than 255 characters, beyond what units' files hold.
constexpr std::uint32_t kMaxDataBytes = 122;
constexpr std::int32_t kVersionAddress16 = 0xFBFC;
constexpr std::int32_t kVersionAddressHigh = 0x3FBFC;
// ":" LL AAAA TT and the checksum pair around the data.
constexpr std::size_t kRecordFrame = 11;

bool InFlashWindow(std::int32_t address) {
    return (address >= 0x4000 && address <= 0xFBFF) || (address >= 0x22000 && address <= 0x2FFFF) ||
           (address >= 0x34000 && address <= 0x3FBFF);
}

std::uint32_t CarriedChecksum(const std::string& line) {
    const std::size_t from = line.size() < 2 ? 1 : line.size() - 1;
    return HexField(line, from, 2) & 0xFF;
}

// A record the reader can take: checksum right, no more data than it handles, and every
// data byte that its length announces present on the line.
bool RecordAcceptable(const std::string& line, bool tooLong) {
    if (tooLong || CarriedChecksum(line) != HexFileChecksum(line)) return false;
    const std::uint32_t length = HexField(line, 2, 2);
    if (length > kMaxDataBytes) return false;
    return length == 0 || line.size() >= kRecordFrame + 2 * length;
}

// ":00000001FF" and every other end record fail the checksum rule (a zero-length record's
// checksum is taken as 0), so this is where reading ends normally. Only a whole end record
// counts: one whose checksum field does not match its own bytes is a damaged line, and the
// data records after it are data that the image lacks.
bool IsEndRecord(const std::string& line) {
    if (line.size() != kRecordFrame || line[0] != ':' || line.compare(1, 2, "00") != 0 ||
        line.compare(7, 2, "01") != 0)
        return false;
    const std::uint32_t sum = HexField(line, 4, 2) + HexField(line, 6, 2) + kEndOfFile;
    return CarriedChecksum(line) == ((0x100 - (sum & 0xFF)) & 0xFF);
}

bool IsHexDataRecord(const std::string& line) {
    return line.size() >= kRecordFrame && line[0] == ':' && line.compare(7, 2, "00") == 0;
}

void StoreDataBytes(FirmwareImage& image, const std::string& line, std::uint32_t length) {
    for (std::uint32_t i = 0; i < length; ++i) {
        const std::int32_t address = image.cursor;
        if (InFlashWindow(address)) {
            image.store(address, static_cast<std::uint8_t>(HexField(line, 10 + 2 * i, 2)));
            if (image.lowestWritten == 0 || image.lowestWritten > address)
                image.lowestWritten = address;
        }
        if (i + 1 < length) ++image.cursor;
    }
}

} // namespace

std::uint8_t HexFileChecksum(const std::string& line) {
    const std::uint32_t length = HexField(line, 2, 2);
    if (length == 0) return 0;
    std::uint16_t sum = 0;
    for (std::size_t position = 2; position <= 8 + 2 * length; position += 2)
        sum = static_cast<std::uint16_t>(sum + HexField(line, position, 2));
    return static_cast<std::uint8_t>(-(sum & 0xFF));
}

bool ReadHexRecords(FirmwareImage& image, std::istream& in) {
    image.prepareApplication(0, false);
    std::uint32_t upperAddress = 0;
    bool result = false;
    LineReader reader(in);
    std::string line;
    while (reader.next(line)) {
        if (!RecordAcceptable(line, reader.lineTooLong())) {
            const int stopLine = reader.lineNumber();
            if (!IsEndRecord(line) && DataRecordsLeft(line, reader, IsHexDataRecord))
                image.damagedAtLine = stopLine;
            break;
        }
        const std::uint32_t type = HexField(line, 8, 2);
        if (type == kExtendedLinearAddress) {
            upperAddress = (HexField(line, 10, 4) << 16) & kUpperAddressMask;
            image.highAddress = true;
            continue;
        }
        const std::uint32_t length = HexField(line, 2, 2);
        image.cursor = static_cast<std::int32_t>(HexField(line, 4, 4) | upperAddress);
        if (type == kDataRecord) StoreDataBytes(image, line, length);
        result = true;
    }
    image.takeVersionFrom(image.highAddress ? kVersionAddressHigh : kVersionAddress16);
    return result;
}

bool ReadHexFile(FirmwareImage& image, Console& console, const std::string& fileName) {
    return ReadHexFile(image, console, fileName, fileName);
}

bool ReadHexFile(FirmwareImage& image, Console& console, const std::string& fileName,
                 const std::string& shownName) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(fileName, error)) return false;
    std::ifstream file(fileName, std::ios::binary);
    if (!file) return false;
    const bool result = ReadHexRecords(image, file);
    console.status(VersionLine(image.fileVersion, shownName));
    return result;
}
