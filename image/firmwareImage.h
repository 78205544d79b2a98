#pragma once
// The firmware image of the run: what the file readers fill, the page formatter cuts and the
// upgrades send. One object lives for the whole run; every reader replaces its contents.

#include <cstdint>
#include <string>
#include <vector>

struct FirmwareImage {
    // 256 KiB of flash, image addresses 0 to 0x3FFFF.
    static constexpr std::int32_t kSize = 0x40000;
    // The stretch that the application readers fill with 0xFF and whose flags they clear.
    static constexpr std::int32_t kApplicationSize = 0x3FC00;
    static constexpr std::uint8_t kFill = 0xFF;

    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(kSize, kFill);
    std::vector<std::uint8_t> written = std::vector<std::uint8_t>(kSize, 0);
    std::int32_t cursor = 0;
    std::int32_t lowestWritten = 0;
    std::int32_t highestWritten = 0;
    // Page addresses of such an image go out with kHighAddressOffset added.
    bool highAddress = false;
    std::uint16_t fileVersion = 0;
    // Line at which the last application file stopped being read although data records
    // followed (0: read to its proper end). Such an image must never be flashed.
    int damagedAtLine = 0;
    // The file the image was last read from to be sent, by name and by content (lower-case
    // SHA-256 hex), and why the trust check refused it (empty: it was not refused). Empty
    // before any such read.
    std::string fileName;
    std::string fileSha256;
    std::string refusal;

    static constexpr std::uint32_t kHighAddressOffset = 0xFC0000;

    static bool inImage(std::int32_t address) { return address >= 0 && address < kSize; }
    std::uint8_t byteAt(std::int32_t address) const {
        return inImage(address) ? bytes[static_cast<std::size_t>(address)] : kFill;
    }
    bool isWritten(std::int32_t address) const {
        return inImage(address) && written[static_cast<std::size_t>(address)] != 0;
    }
    // Whether any byte was stored: an image without one has nothing to flash.
    bool holdsData() const;
    // Stores one data byte and raises the highest written address to it; each reader keeps
    // the lowest written address by its own rule.
    void store(std::int32_t address, std::uint8_t value);
    // Fills the application stretch, clears its flags and resets cursor, range and flags.
    void prepareApplication(std::int32_t lowest, bool highAddressFlag);
    // Version word from the major byte at majorAddress and the minor byte after it.
    void takeVersionFrom(std::int32_t majorAddress);
};

// "V%d.%.2d  " followed by the file name: the version line of a firmware file.
std::string VersionLine(std::uint16_t version, const std::string& fileName);
