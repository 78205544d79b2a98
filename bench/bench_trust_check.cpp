// What checking a firmware file costs before it is sent: the SHA-256 of the largest image the
// 256 KiB flash image takes (an S-record file filling the S2 window, 217 KiB of application)
// and the verification of a minisign-signed SHA256SUMS, against the time the page loop needs
// to write that image at 38400 baud (its frames on the wire and the 2 ms pause per
// transaction, a lower bound of the real write time). CPU time, averaged over many checks.

#include "benchSupport.h"
#include "image/fileSelection.h"
#include "image/pageFormat.h"
#include "imageContent.h"
#include "link/silentConsole.h"
#include "srecWriter.h"
#include "tests/support/workingFolder.h"
#include "trust/firmwareCheck.h"
#include "trust/folderTrust.h"
#include "trust/wholeFile.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

constexpr std::uint32_t kBaud = 38400;
constexpr int kChecks = 200;
constexpr double kPauseSeconds = 0.002;
constexpr std::size_t kRequestFraming = 7 + 4 + 4 + 4 + 1;
constexpr std::size_t kPageReplyCharacters = 23 + 1;
constexpr char kFileName[] = "Terminal-P4.S28";

// The page loop's frames for the image, on the wire at baud, with the pause of each call.
double pageWriteSeconds(FirmwareImage image, std::size_t& pages) {
    image.cursor = 0;
    std::size_t characters = 0;
    pages = 0;
    do {
        const std::string page = FormatWriteData(image);
        if (page.empty()) continue;
        ++pages;
        characters += kRequestFraming + 2 + page.size() + kPageReplyCharacters;
    } while (image.cursor <= image.highestWritten);
    return wireSeconds(characters, kBaud) + static_cast<double>(pages) * kPauseSeconds;
}

} // namespace

int main() {
    const std::uint32_t size = fwgen::layoutOf(fwgen::FileFormat::S28).capacity();
    WorkingFolder folder;
    std::ofstream(kFileName, std::ios::binary) << fwgen::writeS28(
        fwgen::buildImage({fwgen::FileFormat::S28, 2, 5, size, 7}), "Terminal-P4");
    // Signed as a site signs its folder: sha256sum, then minisign with the test key.
    const std::string key = std::string(NEXALO_TRUST_FIXTURES) + "/key-a";
    const std::string sign = std::string("sha256sum ") + kFileName +
                             " > SHA256SUMS && minisign -S -s " + key +
                             ".key -m SHA256SUMS -t bench >/dev/null 2>&1";
    if (std::system(sign.c_str()) != 0) {
        std::printf("could not sign the list (sha256sum and minisign are needed)\n");
        return 1;
    }
    SilentConsole quiet;
    const TrustSettings keyed{key + ".pub"};
    FirmwareImage image;
    if (!LoadApplicationFile(image, quiet, 38, UnitType::Terminal, UpgradeType::SingleUnit,
                             ReadFirmwareTrust(keyed))) {
        std::printf("the signed image was refused: %s\n", image.refusal.c_str());
        return 1;
    }
    const WholeFile file = ReadWholeFile(kFileName, kFirmwareFileLimit);
    const double cpuBefore = processCpuSeconds();
    // A run reads the list and verifies its signature once, then checks its file.
    for (int i = 0; i < kChecks; ++i)
        if (!CheckFirmwareFile(quiet, ReadFirmwareTrust(keyed), kFileName, file.bytes).accepted())
            return 1;
    const double check = (processCpuSeconds() - cpuBefore) / kChecks;
    std::size_t pages = 0;
    const double write = pageWriteSeconds(image, pages);
    std::printf("image: %u application bytes, file %zu bytes, %zu pages\n", size, file.bytes.size(),
                pages);
    std::printf("digest and signed list checked: %.3f ms CPU (mean of %d)\n", check * 1000,
                kChecks);
    std::printf("page writes at %u baud: %.1f s (wire and pauses, a lower bound)\n", kBaud, write);
    // In per cent: the ratio itself is below the table's three decimals.
    reportRatio("trust check / page writes, largest image at 38400 (%)", 100 * check / write,
                "< 1");
    return 0;
}
