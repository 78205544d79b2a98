#include "imageContent.h"

#include "pseudoRandom.h"

#include <algorithm>
#include <utility>

namespace fwgen {

std::uint32_t Layout::capacity() const {
    std::uint32_t total = 0;
    for (const Window& window : windows)
        total += window.capacity();
    return total;
}

namespace {

constexpr std::uint32_t kHighFlash = 0xFC0000;

// A 16-bit image reaches only the low window, which ends just below the version bytes.
const Layout kHex16{{{0x4000, 0xFBFC}}, 0xFBFC, 0, 16 * 1024};
// An image above 0xFC0000 fills the middle window and goes on in the top one.
const Layout kHexExtended{{{0x22000, 0x30000}, {0x34000, 0x3FBFC}}, 0x3FBFC, kHighFlash, 72 * 1024};
const Layout kS28{{{0x4000, 0x39F00}}, 0x39F00, kHighFlash, 32 * 1024};
// A remote's application area, its last two bytes holding the version.
const Layout kS19{{{0xE300, 0xFDFE}}, 0xFDFE, 0, 0xFDFE - 0xE300};

void appendApplication(const Layout& layout, std::uint32_t size, PseudoRandom& random,
                       std::vector<Segment>& segments) {
    for (const Window& window : layout.windows) {
        if (size == 0) return;
        const std::uint32_t count = std::min(size, window.capacity());
        Segment segment{window.first + layout.fileOffset, {}};
        segment.bytes.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i)
            segment.bytes.push_back(random.nextByte());
        segments.push_back(std::move(segment));
        size -= count;
    }
}

// Interrupt vectors point into the application area; the reset vector to the boot loader.
Segment remoteVectors(PseudoRandom& random) {
    const Window& area = kS19.windows.front();
    Segment vectors{kRemoteVectorsStart, {}};
    for (std::uint32_t address = kRemoteVectorsStart; address < 0xFFFE; address += 2) {
        const auto target = static_cast<std::uint16_t>(area.first + random.below(area.capacity()));
        vectors.bytes.push_back(static_cast<std::uint8_t>(target >> 8));
        vectors.bytes.push_back(static_cast<std::uint8_t>(target & 0xFF));
    }
    vectors.bytes.push_back(static_cast<std::uint8_t>(kRemoteResetTarget >> 8));
    vectors.bytes.push_back(static_cast<std::uint8_t>(kRemoteResetTarget & 0xFF));
    return vectors;
}

} // namespace

const Layout& layoutOf(FileFormat format) {
    switch (format) {
    case FileFormat::Hex16:
        return kHex16;
    case FileFormat::HexExtended:
        return kHexExtended;
    case FileFormat::S28:
        return kS28;
    case FileFormat::S19:
        return kS19;
    }
    return kHex16;
}

std::vector<Segment> buildImage(const ImagePlan& plan) {
    const Layout& layout = layoutOf(plan.format);
    if (plan.size == 0 || plan.size > layout.capacity()) return {};
    PseudoRandom random(plan.seed);
    std::vector<Segment> segments;
    appendApplication(layout, plan.size, random, segments);
    segments.push_back({layout.versionAddress + layout.fileOffset, {plan.major, plan.minor}});
    if (plan.format == FileFormat::S19) segments.push_back(remoteVectors(random));
    return segments;
}

} // namespace fwgen
