#include "image/remoteImage.h"

#include "image/lineReader.h"
#include "image/motReader.h"
#include "link/silentConsole.h"
#include "trust/firmwareCheck.h"
#include "trust/wholeFile.h"

#include <cstring>
#include <sstream>

namespace {

constexpr std::int32_t kRemoteImageSize = 0x10000;
// Address 2 bytes + checksum: the least an S1 record holds.
constexpr std::uint32_t kMinS1Count = 3;

void StoreS1Data(FirmwareImage& image, const std::string& line, std::uint32_t dataBytes) {
    std::uint32_t address = HexField(line, 5, 4);
    for (std::uint32_t i = 0; i < dataBytes; ++i) {
        const auto value = static_cast<std::uint8_t>(HexField(line, 9 + 2 * i, 2));
        image.bytes[address] = value;
        address = (address + 1) & 0xFFFF;
    }
}

} // namespace

bool ReadS19Records(FirmwareImage& image, std::istream& in) {
    std::memset(image.bytes.data(), FirmwareImage::kFill, kRemoteImageSize);
    LineReader reader(in);
    std::string line;
    while (reader.next(line)) {
        if (!line.starts_with('S')) continue;
        if (reader.lineTooLong() || !MotFileChecksum(line)) return false;
        if (line.starts_with("S9")) return true;
        if (!line.starts_with("S1")) continue;
        const std::uint32_t count = HexField(line, 3, 2);
        if (count < kMinS1Count) return false;
        StoreS1Data(image, line, count - kMinS1Count);
    }
    return false;
}

RemoteImageResult ReadRemoteImage(FirmwareImage& image, std::uint8_t productId, Console& console,
                                  const FirmwareTrust& trust) {
    std::memset(image.bytes.data(), FirmwareImage::kFill, kRemoteImageSize);
    image.refusal.clear();
    const std::optional<std::string> name = RemoteImageFileName(productId);
    if (!name) return RemoteImageResult::NoFileForProduct;
    const WholeFile file = ReadWholeFile(*name, kFirmwareFileLimit);
    if (!file.exists) return RemoteImageResult::FileMissing;
    if (file.tooLarge) return RemoteImageResult::Damaged;
    const FileVerdict verdict = CheckFirmwareRead(console, trust, *name, file);
    image.fileName = *name;
    image.fileSha256 = verdict.sha256;
    image.refusal = verdict.refusal;
    if (!verdict.accepted()) {
        console.refusal(verdict.refusal);
        return RemoteImageResult::Refused;
    }
    std::istringstream in(file.bytes);
    return ReadS19Records(image, in) ? RemoteImageResult::Read : RemoteImageResult::Damaged;
}

bool ReadS19Data(FirmwareImage& image, std::uint8_t productId, const FirmwareTrust& trust) {
    SilentConsole quiet;
    return ReadRemoteImage(image, productId, quiet, trust) == RemoteImageResult::Read;
}

std::string RemoteImageFailureLine(RemoteImageResult result, std::uint8_t productId) {
    switch (result) {
    case RemoteImageResult::Read:
    case RemoteImageResult::Refused:
        return {};
    case RemoteImageResult::NoFileForProduct:
        return "No remote image file for product " + std::to_string(productId) + "!";
    case RemoteImageResult::FileMissing:
        return "Remote image file " + RemoteImageFileName(productId).value_or("") + " not found!";
    case RemoteImageResult::Damaged:
        return "Remote image file " + RemoteImageFileName(productId).value_or("") + " damaged!";
    }
    return {};
}
