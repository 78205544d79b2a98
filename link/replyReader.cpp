#include "replyReader.h"

#include "crc.h"

namespace reply {
namespace {

constexpr std::size_t kHexPair = 2;
constexpr unsigned kBitsPerDigit = 4;

bool lengthWithin(std::string_view text, std::size_t minimum, std::size_t maximum) {
    return text.size() >= minimum && text.size() <= maximum;
}

std::uint8_t byteField(std::string_view text, Field f) {
    return static_cast<std::uint8_t>(hexField(text, f));
}

std::uint16_t wordField(std::string_view text, Field f) {
    return static_cast<std::uint16_t>(hexField(text, f));
}

// Hex pairs of a text, as many whole pairs as it holds.
std::vector<std::uint8_t> hexBytes(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / kHexPair);
    for (std::size_t at = 1; at + 1 <= text.size(); at += kHexPair)
        bytes.push_back(static_cast<std::uint8_t>(hexField(text, at, kHexPair)));
    return bytes;
}

FlashResult flashResult(std::string_view text, Field errorCode) {
    return {statusByte(text), byteField(text, errorCode)};
}

} // namespace

std::string field(std::string_view text, std::size_t position, std::size_t width) {
    std::string value(width, '0');
    if (position == 0 || position > text.size()) return value;
    text.substr(position - 1).copy(value.data(), width); // copies what the text still holds
    return value;
}

std::string field(std::string_view text, Field f) {
    return field(text, f.position, f.width);
}

std::uint32_t hexField(std::string_view text, std::size_t position, std::size_t width) {
    return HexToWord(field(text, position, width));
}

std::uint32_t hexField(std::string_view text, Field f) {
    return hexField(text, f.position, f.width);
}

std::uint8_t statusByte(std::string_view text) {
    return byteField(text, Status);
}

bool isStatusReply(std::string_view text) {
    return text.size() == StatusLength;
}

std::string_view data(std::string_view text) {
    if (text.size() <= Overhead) return {};
    return text.substr(DataStart - 1, text.size() - Overhead);
}

bool hasUnitInfo(std::string_view text, std::size_t threshold) {
    return text.size() > threshold;
}

UnitInfo readUnitInfo(std::string_view text) {
    UnitInfo info;
    info.status = statusByte(text);
    info.word = wordField(text, unitInfo::Word);
    info.version = wordField(text, unitInfo::Version);
    info.secondVersion = wordField(text, unitInfo::SecondVersion);
    info.fixedAddress = hexField(text, unitInfo::FixedAddress);
    info.productId = byteField(text, unitInfo::ProductId);
    info.text = field(text, unitInfo::Text);
    return info;
}

std::optional<Identification> readIdentification(std::string_view text) {
    if (text.size() != IdentificationLength) return std::nullopt;
    return Identification{hexField(text, identification::FixedAddress),
                          byteField(text, identification::La),
                          byteField(text, identification::ProductId)};
}

std::size_t listCount(std::string_view text) {
    return hexField(text, unitList::Count);
}

ListEntry listEntry(std::string_view text, std::size_t entry) {
    if (entry == 0) return {};
    using unitList::entryField;
    return {byteField(text, entryField(entry, unitList::La)),
            hexField(text, entryField(entry, unitList::FixedAddress)),
            byteField(text, entryField(entry, unitList::ProductId))};
}

std::vector<ListEntry> readList(std::string_view text) {
    const std::size_t count = listCount(text);
    std::vector<ListEntry> entries;
    entries.reserve(count);
    for (std::size_t i = 1; i <= count; ++i)
        entries.push_back(listEntry(text, i));
    return entries;
}

std::optional<UpgradeModeVersions> readUpgradeMode(std::string_view text) {
    if (text.size() != UpgradeModeLength) return std::nullopt;
    return UpgradeModeVersions{field(text, upgradeMode::BootVersion),
                               field(text, upgradeMode::AppVersion)};
}

std::optional<FlashResult> readFlashStatus(std::string_view text) {
    if (text.size() != FlashStatusLength) return std::nullopt;
    return flashResult(text, flashStatus::ErrorCode);
}

std::optional<FlashResult> readEraseWrite(std::string_view text) {
    if (text.size() != EraseWriteLength) return std::nullopt;
    return flashResult(text, eraseWrite::ErrorCode);
}

std::vector<std::uint8_t> passThroughBytes(std::string_view text) {
    return hexBytes(data(text));
}

std::optional<std::string> fastPollCounterText(std::string_view text) {
    if (!lengthWithin(text, FastPollCountersMin, FastPollCountersMax)) return std::nullopt;
    return std::string(data(text));
}

std::vector<std::uint8_t> fastPollCounters(std::string_view counterText) {
    return hexBytes(counterText);
}

std::optional<std::string> onlineMapText(std::string_view text) {
    if (!lengthWithin(text, OnlineMapMin, OnlineMapMax)) return std::nullopt;
    return std::string(data(text));
}

bool isOnline(std::string_view mapText, unsigned la) {
    if (la == 0) return false;
    const unsigned bit = la - 1;
    const std::size_t digitFromEnd = bit / kBitsPerDigit;
    if (digitFromEnd >= mapText.size()) return false;
    const std::size_t position = mapText.size() - digitFromEnd; // 1-based
    const std::uint32_t digit = hexField(mapText, position, 1);
    return (digit >> (bit % kBitsPerDigit)) & 1u;
}

} // namespace reply
