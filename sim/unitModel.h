#pragma once
// The simulated units: what the tool can read of them and what a test reads back afterwards.

#include "sim/faults.h"
#include "sim/flashMemory.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

enum class UnitKind {
    Controller,
    Terminal,    // behind a controller: addressed CCTT
    BusTerminal, // on the bus without a controller: addressed 00TT
    Host         // host interface, adaptation set or TAGPILOT at a fixed position
};

enum class ControllerModel { AB, CD };

// Where the application keeps its version word in flash, as the firmware file puts it there.
enum class VersionPlace {
    Auto,    // by product: S-record products, else Intel HEX (high or 16-bit by page address)
    Hex16,   // 0xFBFC, 0xFBFD
    HexHigh, // 0x3FBFC, 0x3FBFD
    SRecord  // 0x39F00, 0x39F01
};

// A remote behind a terminal, with its own boot loader reached through "3EF00".
struct RemoteUnit {
    static constexpr std::uint32_t FlashSize = 0x10000;
    static constexpr std::uint32_t AppFirst = 0xE300, AppLast = 0xFDFF;
    static constexpr std::uint32_t VectorFirst = 0xFFDC, VectorLast = 0xFFFF;
    // The remote's application keeps its version in the last two bytes of its area.
    static constexpr std::uint32_t VersionCell = 0xFDFE;

    std::uint8_t productId = 31;
    std::uint16_t version = 0x0200;
    bool refuseEntry = false;
    bool upgradeMode = false;
    bool prepared = false;
    std::uint16_t address = 0;
    std::vector<std::uint8_t> flash = std::vector<std::uint8_t>(FlashSize, 0x00);
    std::vector<std::vector<std::uint8_t>> requests; // every request that reached it

    std::optional<PowerLoss> powerLoss; // counts the requests relayed to it
    std::uint32_t requestsSeen = 0;
    bool poweredOff = false;
    std::uint64_t backOnAtMs = 0;
};

struct Unit {
    std::string name;
    UnitKind kind = UnitKind::Controller;
    ControllerModel model = ControllerModel::AB;
    int controller = -1; // index of a terminal's controller in the network
    std::string hostPosition = "7F00";

    std::uint8_t la = 0x01;
    std::uint32_t fixedAddress = 0;
    std::uint8_t productId = 0;
    std::uint16_t version = 0x0100;  // application version
    std::uint16_t secondVersion = 0; // reported when no remote stands behind the unit
    std::uint16_t infoWord = 0;
    std::uint16_t bootVersion = 0x0100;
    std::string text = "          "; // 10 characters of the information reply
    std::uint8_t statusBits = 0x00;  // besides the upgrade-mode bit
    std::uint8_t laChangeBits = 0;   // a failed LA change, reported until the unit restarts
    VersionPlace versionPlace = VersionPlace::Auto;
    std::string entryCommand; // "E0" or "E001" only; empty: either

    bool upgradeMode = false;
    bool applicationIntact = true; // false from an erase until a valid image is written
    bool acknowledged = false;
    FlashMemory flash;
    std::uint8_t lastFlashError = 0;

    bool fastPollSupported = true;
    int fastPollUnits = 64; // 40 or 64 time-out counters
    std::vector<std::uint8_t> fastPollTimeouts;
    std::uint64_t extraOnlineMap = 0; // second map ("A801") beside the units found offline

    int port2Mode = -1; // 0 RS232, 1 RS485, -1 never set
    bool refusePort2 = false;
    std::string rawMessage;           // last "38" text as it arrived
    std::vector<std::string> message; // its lines, unescaped
    int memoryClears = 0;
    int resets = 0;

    bool hasRemote = false;
    RemoteUnit remote;

    UnitFaults faults;
    std::uint32_t requestsSeen = 0;
    bool poweredOff = false;
    bool upgradeUnderWay = false; // at the moment the power went
    std::uint64_t backOnAtMs = 0;
    std::uint64_t busyUntilMs = 0;
    // A started image that gives up at this time (0: none), and one given up on: the boot loader
    // keeps the unit at every restart until a new image is written.
    std::uint64_t fallsIntoBootLoaderAtMs = 0;
    bool imageRejected = false;

    std::vector<std::string> commands; // every command text that reached the unit
};

struct ReceivedFrame {
    std::string address;
    std::string sequence;
    std::string command;
    std::uint64_t atMs = 0;
};

struct Network {
    std::uint64_t seed = 1;
    std::uint32_t latencyMs = 0;
    std::uint32_t clearMemoryMs = 30000; // a controller is deaf while it clears its memory
    ReplyFaults lineFaults;
    Collision collisions = Collision::NearerFirst;
    std::vector<Unit> units;

    std::vector<ReceivedFrame> frames;     // every well-formed request
    std::vector<ReceivedFrame> broadcasts; // those sent to an address with "FF"
    std::uint32_t badFrames = 0;           // requests dropped for a bad CRC or layout
    // The replies to the frame of this number (counted from 1, as in frames) are lost on the
    // line; the units it reached have acted on it all the same. 0: none.
    std::size_t lostReplyFrame = 0;
};

// The four-character address of a unit as it stands now.
std::string unitAddress(const Network& network, const Unit& unit);
// Index of the unit called name, or -1.
int findUnit(const Network& network, const std::string& name);

} // namespace sim
