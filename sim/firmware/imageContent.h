#pragma once
// What a generated firmware file holds: runs of bytes at the addresses the file names, laid
// out where the tool's readers take them in and carrying the version where they look for it.

#include <cstdint>
#include <string>
#include <vector>

namespace fwgen {

enum class FileFormat { Hex16, HexExtended, S28, S19 };

struct Segment {
    std::uint32_t address = 0; // as written in the file
    std::vector<std::uint8_t> bytes;
};

struct Window {
    std::uint32_t first = 0;
    std::uint32_t end = 0; // one past the last address
    std::uint32_t capacity() const { return end - first; }
};

// Where one kind of file puts its application bytes and version, in image addresses; the
// file addresses are the image addresses plus fileOffset.
struct Layout {
    std::vector<Window> windows;
    std::uint32_t versionAddress = 0;
    std::uint32_t fileOffset = 0;
    std::uint32_t defaultSize = 0;
    std::uint32_t capacity() const;
};

const Layout& layoutOf(FileFormat format);

struct ImagePlan {
    FileFormat format = FileFormat::Hex16;
    std::uint8_t major = 1;
    std::uint8_t minor = 0;
    std::uint32_t size = 0;
    std::uint64_t seed = 1;
};

// Empty when the size does not fit the format's windows.
std::vector<Segment> buildImage(const ImagePlan& plan);

// Remote images: a boot loader below the application area takes the reset.
inline constexpr std::uint32_t kRemoteVectorsStart = 0xFFDC;
inline constexpr std::uint16_t kRemoteResetTarget = 0xE000;

} // namespace fwgen
