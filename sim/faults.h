#pragma once
// Faults a network file can inject, for one unit or for the whole line.

#include <cstdint>
#include <optional>

namespace sim {

// Shares are probabilities from 0 to 1, drawn per reply from the network's seeded generator.
struct ReplyFaults {
    double dropShare = 0;          // the reply is not sent
    double badCrcShare = 0;        // the CRC is off by one
    double lowerCaseCrcShare = 0;  // the CRC's hex letters in lower case
    double staleSequenceShare = 0; // a reply with the previous sequence number goes first
    double noiseShare = 0;         // line noise (never "%" or CR) in front of the reply
    std::uint32_t delayMs = 0;     // added to every reply
};

// A flash operation that fails with an error code, the first time or every time.
struct FlashFault {
    std::uint32_t target = 0; // sector number (1-7) or the page's image address
    std::uint8_t code = 0x03;
    bool always = false;
    bool fired = false;
};

// The unit loses power once: after it has heard a number of requests, or after a number of
// frames have crossed the line (heard by any unit or by none), whichever the file names. It
// stays deaf for offMs and then powers up as sim/powerCycle.h describes.
struct PowerLoss {
    std::uint32_t afterRequests = 0;
    std::uint32_t offMs = 0;
    bool fired = false;
    std::optional<std::uint32_t> afterFrames = std::nullopt; // every well-formed frame counts
};

// The new image starts and runs for afterMs, then the unit restarts into its boot loader (its
// image does not start), and stays there until a new image is written. Once.
struct BootLoaderFall {
    std::uint32_t afterMs = 6500;
    bool fired = false;
};

struct UnitFaults {
    ReplyFaults replies;
    bool refuseUpgrade = false;        // answers "E0" but stays in its application
    bool silentBulkErase = false;      // "E27F" neither answered nor done
    bool answersStatusNotInfo = false; // answers "01" but not "0A"
    bool refuseNewLa = false;          // ignores a new LA given by its fixed address
    // Acknowledgements of its identification that the unit lets pass unheeded; -1: all.
    int ignoredAcknowledges = 0;
    // Its unit lists ("9402", "9403") announce this many entries, whatever they hold.
    std::optional<std::uint8_t> announcedListCount;
    // Taken on with a new LA: status bits (within 0x5E) that report the change as failed,
    // until the unit restarts. 0: the change succeeds.
    std::uint8_t laChangeFailure = 0;
    std::optional<FlashFault> eraseFault;
    std::optional<FlashFault> pageFault;
    std::optional<PowerLoss> powerLoss;
    // Lies of the restart that starts a new image (sim/imageStart.h): the write verified and did
    // not take; the image reports another version than its file's; the image gives up.
    bool keepsOldFirmware = false;
    std::optional<std::uint16_t> versionAfter;
    std::optional<BootLoaderFall> bootsIntoBootLoader;
    // After every restart the unit answers nothing for this long.
    std::uint32_t slowBootMs = 0;
};

// Two units that answer one request at once: the line garbles both, or the nearer unit's reply
// arrives whole with the farther one's after it.
enum class Collision { NearerFirst, Garbled };

} // namespace sim
