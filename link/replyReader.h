#pragma once
// Reads the fields of a reply text by their 1-based positions. Every read is bounds-safe: a
// character past the end of the reply reads as "0", so a short or truncated reply yields zero
// fields instead of garbage or a fault. Callers judge a reply by its length first.

#include "catalogue.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace reply {

// The width characters from position (1-based); each one past the end reads as '0'.
std::string field(std::string_view text, std::size_t position, std::size_t width);
std::string field(std::string_view text, Field f);
// The field read as hex; characters that are not hex digits count as 0.
std::uint32_t hexField(std::string_view text, std::size_t position, std::size_t width);
std::uint32_t hexField(std::string_view text, Field f);

std::uint8_t statusByte(std::string_view text);
inline bool inUpgradeMode(std::uint8_t status) {
    return (status & InUpgradeMode) != 0;
}

// A bare status reply: exactly StatusLength characters.
bool isStatusReply(std::string_view text);
// The characters between the status byte and the CRC; empty for a bare status reply.
std::string_view data(std::string_view text);

struct UnitInfo {
    std::uint8_t status = 0;
    std::uint16_t word = 0;
    std::uint16_t version = 0;
    std::uint16_t secondVersion = 0;
    std::uint32_t fixedAddress = 0;
    std::uint8_t productId = 0;
    std::string text;

    bool inUpgradeMode() const { return reply::inUpgradeMode(status); }
    // In upgrade mode the unit's versions are not valid and count as 0 (the survey's reading;
    // discovery records 0xFFFF for such a unit instead).
    std::uint16_t validVersion() const { return inUpgradeMode() ? 0 : version; }
    std::uint16_t validSecondVersion() const { return inUpgradeMode() ? 0 : secondVersion; }
};
// Whether an information reply is long enough for a caller with the given threshold
// (UnitInfoShortThreshold or UnitInfoFullThreshold).
bool hasUnitInfo(std::string_view text, std::size_t threshold);
UnitInfo readUnitInfo(std::string_view text);

struct Identification {
    std::uint32_t fixedAddress = 0;
    std::uint8_t la = 0;
    std::uint8_t productId = 0;
};
// Only a reply of exactly IdentificationLength characters is an identification.
std::optional<Identification> readIdentification(std::string_view text);

struct ListEntry {
    std::uint8_t la = 0;
    std::uint32_t fixedAddress = 0;
    std::uint8_t productId = 0;
};
// The announced number of entries; it is not checked against the reply length.
std::size_t listCount(std::string_view text);
// Entry i (1-based); entries beyond the reply read as 0.
ListEntry listEntry(std::string_view text, std::size_t entry);
// All announced entries, in order.
std::vector<ListEntry> readList(std::string_view text);

struct UpgradeModeVersions {
    std::string bootVersion; // shown as the four characters stand
    std::string appVersion;
};
std::optional<UpgradeModeVersions> readUpgradeMode(std::string_view text);

// Result of a flash operation ("E1", "E2", "E3").
struct FlashResult {
    std::uint8_t status = 0;
    std::uint8_t errorCode = 0;
    // An error code counts only while the unit reports exactly upgrade mode.
    bool failed() const { return status == InUpgradeMode && errorCode != 0; }
};
std::optional<FlashResult> readFlashStatus(std::string_view text); // "E1"
std::optional<FlashResult> readEraseWrite(std::string_view text);  // "E2", "E3"

// The remote's reply bytes carried by a pass-through reply; empty when there are none.
std::vector<std::uint8_t> passThroughBytes(std::string_view text);

// The fast-poll time-out counters, one per LA from 1; nothing unless the length is in range.
// Both readers below return a copy, so they are safe on a reply that is a temporary.
std::optional<std::string> fastPollCounterText(std::string_view text);
std::vector<std::uint8_t> fastPollCounters(std::string_view counterText);

// An online bit map ("A800", "A801"); nothing unless the length is in range.
std::optional<std::string> onlineMapText(std::string_view text);
// Bit k counted from the least significant bit of the last digit stands for LA k + 1. This
// reads one map by its own length; the online row of the fast-poll display lines the second
// map up with the first digit by digit from the left, which differs when the lengths differ.
bool isOnline(std::string_view mapText, unsigned la);

} // namespace reply
