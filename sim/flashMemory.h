#pragma once
// A unit's application flash as its boot loader sees it: 256 KiB, seven erasable sectors, and
// bits that a write can only clear. Page addresses arrive either as image addresses (16-bit
// Intel HEX images) or with 0xFC0000 added (high-address HEX and S-record images); both land
// on the same cells, address modulo 256 KiB.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace sim {

// Error codes of the boot loader, reported by "E2", "E3" and "E1".
namespace flashError {
inline constexpr std::uint8_t None = 0x00;
inline constexpr std::uint8_t AddressOutOfRange = 0x01;
inline constexpr std::uint8_t VerifyFailed = 0x02; // bits that were not erased
inline constexpr std::uint8_t MalformedPage = 0x04;
inline constexpr std::uint8_t BadSectorMask = 0x08;
} // namespace flashError

struct SectorRange {
    std::uint32_t first;
    std::uint32_t last;
};

class FlashMemory {
public:
    static constexpr std::uint32_t Size = 0x40000;
    static constexpr std::uint32_t HighOffset = 0xFC0000;
    static constexpr int SectorCount = 7;
    // What an old application leaves in the cells: not erased.
    static constexpr std::uint8_t ProgrammedFill = 0x00;

    FlashMemory();

    // Sector 1 to 7.
    static SectorRange sector(int number);
    // The cell of a page address as sent, or nothing when it lies outside the flash.
    static std::optional<std::uint32_t> cellOf(std::uint32_t pageAddress);

    void eraseSector(int number);
    // Writes data from the page address; AND semantics as on real flash.
    std::uint8_t writePage(std::uint32_t pageAddress, std::span<const std::uint8_t> data);

    std::uint8_t at(std::uint32_t cell) const { return cells_[cell % Size]; }
    std::vector<std::uint8_t> read(std::uint32_t cell, std::size_t count) const;
    // Whether the cell was written by a page since the flash was made.
    bool written(std::uint32_t cell) const { return written_[cell % Size]; }
    bool highAddressesSeen() const { return highAddressesSeen_; }
    std::uint32_t pagesWritten() const { return pagesWritten_; }
    std::uint32_t erases() const { return erases_; }

private:
    std::vector<std::uint8_t> cells_;
    std::vector<bool> written_;
    bool highAddressesSeen_ = false;
    std::uint32_t pagesWritten_ = 0;
    std::uint32_t erases_ = 0;
};

} // namespace sim
