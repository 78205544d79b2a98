#include "sim/flashMemory.h"

namespace sim {

namespace {
// Sector 1 holds the low 64 KiB (the whole of a 16-bit image); the others split the rest.
constexpr std::array<SectorRange, FlashMemory::SectorCount> kSectors{{
    {0x00000, 0x0FFFF},
    {0x10000, 0x17FFF},
    {0x18000, 0x1FFFF},
    {0x20000, 0x27FFF},
    {0x28000, 0x2FFFF},
    {0x30000, 0x37FFF},
    {0x38000, 0x3FFFF},
}};
} // namespace

FlashMemory::FlashMemory() : cells_(Size, ProgrammedFill), written_(Size, false) {}

SectorRange FlashMemory::sector(int number) {
    if (number < 1 || number > SectorCount) return {1, 0};
    return kSectors[static_cast<std::size_t>(number - 1)];
}

std::optional<std::uint32_t> FlashMemory::cellOf(std::uint32_t pageAddress) {
    if (pageAddress < Size) return pageAddress;
    if (pageAddress >= HighOffset && pageAddress < HighOffset + Size)
        return pageAddress - HighOffset;
    return std::nullopt;
}

void FlashMemory::eraseSector(int number) {
    SectorRange range = sector(number);
    for (std::uint32_t cell = range.first; cell <= range.last && cell < Size; ++cell)
        cells_[cell] = 0xFF;
    ++erases_;
}

std::uint8_t FlashMemory::writePage(std::uint32_t pageAddress, std::span<const std::uint8_t> data) {
    std::optional<std::uint32_t> first = cellOf(pageAddress);
    if (!first || *first + data.size() > Size) return flashError::AddressOutOfRange;
    if (pageAddress >= HighOffset) highAddressesSeen_ = true;
    std::uint8_t result = flashError::None;
    for (std::size_t i = 0; i < data.size(); ++i) {
        std::uint8_t& cell = cells_[*first + i];
        cell = static_cast<std::uint8_t>(cell & data[i]);
        written_[*first + i] = true;
        if (cell != data[i]) result = flashError::VerifyFailed;
    }
    ++pagesWritten_;
    return result;
}

std::vector<std::uint8_t> FlashMemory::read(std::uint32_t cell, std::size_t count) const {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes.push_back(at(cell + static_cast<std::uint32_t>(i)));
    return bytes;
}

} // namespace sim
