#pragma once
// The unit command catalogue: every command text the tool sends, the addresses it sends them
// to, the time-out and retries of each use, and where the caller finds each reply field.
// Procedures take their texts and numbers from here so that the wire protocol lives in one file.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// Numbers as they appear on the wire: upper-case hex, leading zeros to full width.
namespace hexText {
std::string byte(std::uint8_t value);            // 2 digits
std::string word(std::uint16_t value);           // 4 digits
std::string la(std::uint8_t la);                 // a logical address: 2 digits
std::string fixedAddress(std::uint32_t address); // 8 digits
} // namespace hexText

// Logical addresses with a meaning of their own.
namespace la {
inline constexpr std::uint8_t None = 0x00;     // no unit / no controller in front of a terminal
inline constexpr std::uint8_t First = 0x01;    // lowest LA a unit may hold
inline constexpr std::uint8_t LastListed = 64; // highest LA of the found-units table (0x40)
inline constexpr std::uint8_t Host = 0x7F;     // host interface or registration reader
inline constexpr std::uint8_t HighestUnit = 0x7F;
inline constexpr std::uint8_t Adaption = 0x7E;  // adaptation set / TAGPILOT position
inline constexpr std::uint8_t Broadcast = 0xFF; // all units of a rank; as a reported LA: no LA
} // namespace la

// Four-character destinations: controller LA then terminal LA.
namespace addr {
inline constexpr char AllControllers[] = "FF00";
inline constexpr char AllTerminals[] = "FFFF";    // every terminal of every controller
inline constexpr char AllBusTerminals[] = "00FF"; // every terminal without a controller
inline constexpr char HostInterface[] = "7F00";   // host interface or registration reader
inline constexpr char AdaptionSet[] = "7E00";
inline constexpr char TagPilot[] = "007E";

std::string controller(std::uint8_t cc);     // "CC00"
std::string controller(std::string_view cc); // LA box text + "00"
std::string terminal(std::uint8_t cc, std::uint8_t tt);
std::string terminal(std::string_view cc, std::uint8_t tt);
std::string allTerminalsOf(std::uint8_t cc);     // "CCFF"
std::string allTerminalsOf(std::string_view cc); // LA box text + "FF"
std::string busTerminal(std::uint8_t tt);        // "00TT"
} // namespace addr

// Command texts: what follows the sequence number in a request frame.
namespace cmd {
// Status poll: is the unit there, and is it in upgrade mode.
inline constexpr char StatusPoll[] = "01";
// The same with an 80-character filler, to test long requests.
inline constexpr char StatusPollLong[] =
    "01gfrrf747ogasfki7iufeofh7o4589t3o9th548ghoe59s8ygho589tygheo9ghesopg98y539as8tgyh";
// Identification request to all units of a rank; the number of the request is always 255.
inline constexpr char IdentifyCode[] = "02";
inline constexpr std::uint16_t IdentifyCount = 0x00FF;
// Acknowledges one identified unit, named by its fixed address.
inline constexpr char AcknowledgeCode[] = "03";
inline constexpr char AcknowledgeTail[] = "0";
// Gives the unit with a fixed address a new LA.
inline constexpr char NewLaCode[] = "04";
// Sent once before the first and once after the last identification pass.
inline constexpr char IdentifyBoundary[] = "06";
// The unit leaves upgrade mode and starts its application.
inline constexpr char Reset[] = "08";
// The controller resets and clears its memory (about 30 s).
inline constexpr char ClearMemory[] = "09";
// Unit information query, plain and with 80- and 134-character fillers.
inline constexpr char UnitInfo[] = "0A";
inline constexpr char UnitInfoLong[] =
    "0Agfrrf747ogasfki7iufeofh7o4589t3o9th548ghoe59s8ygho589tygheo9ghesopg98y539as8tgyh";
inline constexpr char UnitInfoLonger[] =
    "0Agfrrf747ogasfki7iufeofh7o4589t3o9th548ghoe59s8yghoddddddddddddddff44444444444444444445454533"
    "333333dsdsds589tygheo9ghesopg98y539as8tgyh";
// The controller's second port.
inline constexpr char Port2Rs232[] = "2D0";
inline constexpr char Port2Rs485[] = "2D1";
// Default display message; the caller supplies the quoted, escaped text.
inline constexpr char DefaultMessageCode[] = "38";
// Closes the exchange with a remote at the end of a remote upgrade.
inline constexpr char RemoteClose[] = "3E00000";
// One request for the remote behind the addressed unit.
inline constexpr char PassThroughCode[] = "3EF00";
// Lists of the units a controller knows: LA and product ID ("9402"), terminals with their
// fixed addresses ("9403").
inline constexpr char UnitList[] = "9402";
inline constexpr char TerminalList[] = "9403";
// Told to the controller after a single-unit upgrade and after an all-terminals upgrade.
inline constexpr char ControllerUpgradeEnd[] = "9A";
// Broadcast before and after every run of the Upgrade button.
inline constexpr char UpgradeRunStart[] = "9B00";
inline constexpr char UpgradeRunEnd[] = "9B01";
// Told to the controller before an all-terminals upgrade.
inline constexpr char ControllerUpgradeStart[] = "A4";
// Fast-poll diagnostics: start, time-out counters, the two online bit maps.
inline constexpr char FastPollStart[] = "A90";
inline constexpr char FastPollCounters[] = "A91";
inline constexpr char OnlineMapFirst[] = "A800";
inline constexpr char OnlineMapSecond[] = "A801";
// Enter upgrade mode; the "01" variant is for the boot loaders that ask for it.
inline constexpr char EnterUpgrade[] = "E0";
inline constexpr char EnterUpgrade01[] = "E001";
// Status of the last flash operation.
inline constexpr char FlashStatus[] = "E1";
// Erase the flash sectors whose bits are set in a mask.
inline constexpr char EraseCode[] = "E2";
inline constexpr std::uint8_t EraseAllMask = 0x7F; // sectors 1 to 7
inline constexpr char EraseAll[] = "E27F";
inline constexpr int SectorCount = 7;
// Write one flash page.
inline constexpr char WritePageCode[] = "E3";

std::string identify();                              // "0200FF"
std::string acknowledge(std::uint32_t fixedAddress); // "03" + 8 digits + "0"
std::string newLa(std::uint32_t fixedAddress, std::uint8_t la);
// From the text of the edit boxes, which is sent as it stands.
std::string newLa(std::string_view fixedAddress, std::string_view la);
std::string defaultMessage(std::string_view quotedText);
std::string port2(bool rs485);
std::string passThrough(std::uint8_t waitCode, std::span<const std::uint8_t> request);
std::string erase(std::uint8_t sectorMask);
// Mask of one sector, 1 to 7: 0x01 for sector 1, shifted left for each next one.
std::uint8_t sectorMask(int sector);
std::string writePage(std::string_view pageText);
} // namespace cmd

// Requests for a remote, carried inside the pass-through command.
namespace remote {
inline constexpr std::uint8_t RequestVersion = 0x02;
inline constexpr std::uint8_t RequestPrepare = 0x0E; // sent once before the entry code
inline constexpr std::uint8_t RequestSetAddress = 0x01;
inline constexpr std::uint8_t RequestEraseBlock = 0x03;
inline constexpr std::uint8_t RequestWrite = 0x04;
inline constexpr std::uint8_t RequestLeave = 0x05;
// The code the remotes' boot loader takes as "enter upgrade mode".
inline constexpr std::uint8_t EntryCode[4] = {0x5A, 0xC3, 0x3C, 0xA5};

inline constexpr std::uint8_t ReplyAccepted = 0x07;
inline constexpr std::uint8_t ReplyAlreadyInUpgrade = 0x08;
inline constexpr std::size_t VersionReplyBytes = 7;
inline constexpr std::size_t VersionMajorIndex = 3;
inline constexpr std::size_t VersionMinorIndex = 4;

// In front of every remote request: 00 awaits no reply.
inline constexpr std::uint8_t WaitNone = 0x00;
inline constexpr std::uint8_t WaitFinalVersion = 0x03;
inline constexpr std::uint8_t WaitOrdinary = 0x05;

// How often a request that the remote may miss is sent before giving up: the entry code, and
// the version query after leaving upgrade mode (the remote is restarting then).
inline constexpr int EntrySends = 21;
inline constexpr int VersionSends = 6;

// The remote's flash as the tool writes it: the application area in blocks of 64 bytes, each
// erased and then written in two halves, and the vector area as one block of 4 + 32 bytes.
inline constexpr std::uint16_t ApplicationFirst = 0xE300;
inline constexpr std::uint16_t ApplicationLast = 0xFDFF;
inline constexpr std::uint16_t BlockSize = 64;
inline constexpr int BlockWrite = 32;
inline constexpr int BlockCount = (ApplicationLast + 1 - ApplicationFirst) / BlockSize; // 108
inline constexpr std::uint16_t VectorFirst = 0xFFDC;
inline constexpr std::uint16_t VectorLast = 0xFFFF;
inline constexpr int VectorHeadWrite = 4;  // 0xFFDC to 0xFFDF
inline constexpr int VectorTailWrite = 32; // 0xFFE0 to 0xFFFF

// An image is sent only when its reset vector points into the boot area: either byte suffices.
inline constexpr std::uint16_t ResetVectorHighAddress = 0xFFFE;
inline constexpr std::uint8_t ResetVectorHigh = 0xE0;
inline constexpr std::uint16_t ResetVectorLowAddress = 0xFFFF;
inline constexpr std::uint8_t ResetVectorLow = 0x00;
} // namespace remote

// Whether a use may be sent again beyond its retries when the operator asks for extra attempts
// on a noisy line: only where the unit ends in the same state whether it acted on the first
// request or not (a read, the same bytes written or erased at the same place). Requests that
// act twice, resets, fire-and-forget broadcasts and the entry into upgrade mode never are.
enum class Repeat : bool { Never, Safe };

// Reply time-out in milliseconds and retries of one use of a command. A time-out of 0 sends
// once and reads nothing, so it always comes with 0 retries.
struct TimeoutRetries {
    std::uint16_t timeout;
    std::uint16_t retries;
    Repeat repeat = Repeat::Never;
};

// The retries of use on a line where the operator asked for extraAttempts more: added only to
// a use that awaits a reply and is safe to repeat.
constexpr std::uint16_t retriesWith(TimeoutRetries use, int extraAttempts) {
    if (use.timeout == 0 || use.repeat != Repeat::Safe || extraAttempts <= 0) return use.retries;
    return static_cast<std::uint16_t>(use.retries + extraAttempts);
}

namespace tr {
// Broadcasts, resets and every other request whose reply is not read.
inline constexpr TimeoutRetries FireAndForget{0, 0};

// Unit discovery.
inline constexpr TimeoutRetries DiscoveryProbe{200, 10, Repeat::Safe}; // "01" to the probe address
inline constexpr TimeoutRetries DiscoveryList{10000, 2, Repeat::Safe}; // "9402"
inline constexpr TimeoutRetries DiscoveryScanPoll{700, 1, Repeat::Safe}; // "01" per LA of the scan
inline constexpr TimeoutRetries DiscoveryInfo{1000, 1, Repeat::Safe};    // "0A" per unit found

// Single-unit upgrade.
inline constexpr TimeoutRetries SingleIdentify{300, 30, Repeat::Safe}; // "0A"
// The unit's state after an entry whose reply was lost is unknown (restarting into its boot
// loader or not): the entry keeps its own retries only.
inline constexpr TimeoutRetries SingleEnterUpgrade{500, 10};                 // "E0", "E001"
inline constexpr TimeoutRetries SingleConfirmUpgrade{500, 10, Repeat::Safe}; // "01"
// Not repeated: a missing reply falls back on the sector-by-sector erase, which erases every
// sector again and so is its repeat.
inline constexpr TimeoutRetries SingleEraseAll{15000, 0};                 // "E27F"
inline constexpr TimeoutRetries SingleEraseSector{2000, 5, Repeat::Safe}; // "E2" + one-sector mask
inline constexpr TimeoutRetries SingleWritePage{1000, 1, Repeat::Safe};   // "E3" + page
inline constexpr TimeoutRetries SingleReset{1000, 0}; // "08": a reset is never repeated
inline constexpr TimeoutRetries SingleConfirmRunning{2000, 10,
                                                     Repeat::Safe}; // "01" after the reset

// Global upgrade, to one unit at a time (the broadcasts are fire and forget).
inline constexpr TimeoutRetries GlobalEnterUpgrade{500, 20}; // "E0", as SingleEnterUpgrade
inline constexpr TimeoutRetries GlobalConfirmUpgrade{200, 50, Repeat::Safe}; // "01"
inline constexpr TimeoutRetries GlobalEraseResult{500, 10, Repeat::Safe};    // "E1" after the erase
inline constexpr TimeoutRetries GlobalEraseUnit{5000, 1, Repeat::Safe}; // "E27F" again to one unit
inline constexpr TimeoutRetries GlobalWriteResult{100, 50, Repeat::Safe};     // "E1" after a page
inline constexpr TimeoutRetries GlobalWriteResultAgain{500, 4, Repeat::Safe}; // "E1" once more
inline constexpr TimeoutRetries GlobalWritePageUnit{1000, 1,
                                                    Repeat::Safe}; // "E3" again to one unit
inline constexpr TimeoutRetries GlobalConfirmRunning{500, 2, Repeat::Safe}; // "01" after the reset

// Remote upgrade.
// A remote's write moves its address on: the remote upgrade repeats its requests itself, a
// block from its set-address.
inline constexpr TimeoutRetries RemoteRequest{2000, 0}; // pass-through with a wait code
inline constexpr TimeoutRetries RemoteClose{2000, 1};   // "3E00000", its reply not read

// Network survey.
inline constexpr TimeoutRetries SurveyHostInfo{700, 0, Repeat::Safe}; // "0A" to the host positions
// Terminals never answer it, and a controller whose reply was lost is acknowledged again in
// the next identification pass.
inline constexpr TimeoutRetries SurveyAcknowledge{700, 0};                  // "03"
inline constexpr TimeoutRetries SurveyUnitInfo{4000, 0, Repeat::Safe};      // "0A" per listed unit
inline constexpr TimeoutRetries SurveyTerminalList{20000, 0, Repeat::Safe}; // "9403"

// Comms test and fast-poll diagnostics: they show the line as it is, every loss counted, and
// the fast poll reads again every half second.
inline constexpr TimeoutRetries CommsTestRequest{700, 0};
inline constexpr TimeoutRetries FastPoll{1000, 0}; // "A90", "A91", "A800", "A801"

// Response-time probe: it measures one exchange.
inline constexpr TimeoutRetries ProbePoll{5000, 0};

// Maintenance commands.
// A new LA acts on the unit whether its answer comes or not, and a second one would act again
// on a unit busy taking the first: never repeated. The check at the new address, a read, is.
inline constexpr TimeoutRetries SetLa{1000, 0};                     // "04"
inline constexpr TimeoutRetries SetLaVerify{700, 10, Repeat::Safe}; // "01" to the new address
inline constexpr TimeoutRetries SetMessage{4000, 0, Repeat::Safe};  // "38" to the controller
inline constexpr TimeoutRetries Port2{3000, 0, Repeat::Safe};       // "2D0", "2D1"
} // namespace tr

// Fixed pauses and time limits of the procedures, in milliseconds.
namespace delay {
inline constexpr std::uint32_t SingleAfterReset = 5000;
inline constexpr std::uint32_t SingleAfterFinalReset = 3000;
inline constexpr std::uint32_t SingleConfirmLimit = 20000;
inline constexpr std::uint32_t GlobalAfterEraseBroadcast = 5000;
inline constexpr std::uint32_t GlobalBeforeWriteResultAgain = 200;
inline constexpr std::uint32_t GlobalAfterResetBroadcast = 5000;
inline constexpr std::uint32_t GlobalConfirmLimit = 15000;
inline constexpr std::uint32_t GlobalBeforeClosing = 3000;
inline constexpr std::uint32_t RemoteAfterPrepare = 500;
inline constexpr std::uint32_t RemoteAfterLeave = 500;
inline constexpr std::uint32_t SurveyIdentifyCollect = 255; // after each "02"
inline constexpr std::uint16_t SurveyIdentifyPoll = 1;      // PollResponse time-out
inline constexpr std::uint32_t FastPollInterval = 500;
inline constexpr std::uint32_t ProbeInterval = 200;
inline constexpr std::uint32_t ClearMemoryNotice = 1000;
} // namespace delay

// Where the caller finds each field of a reply: 1-based positions in the reply text, which runs
// from the "%" through the CRC.
namespace reply {
struct Field {
    std::size_t position;
    std::size_t width;
};

inline constexpr Field Status{16, 2};
inline constexpr std::size_t DataStart = 18;
inline constexpr std::size_t CrcWidth = 4;
// Header (through the status byte) and CRC: a reply carries length - Overhead data characters.
inline constexpr std::size_t Overhead = DataStart - 1 + CrcWidth;

// Reply lengths.
inline constexpr std::size_t StatusLength = 21;
inline constexpr std::size_t IdentificationLength = 33;
inline constexpr std::size_t UpgradeModeLength = 29;
inline constexpr std::size_t FlashStatusLength = 25;
inline constexpr std::size_t EraseWriteLength = 23;
// A unit information reply counts when it is longer than this.
inline constexpr std::size_t UnitInfoShortThreshold = 30; // survey and comms test
inline constexpr std::size_t UnitInfoFullThreshold = 40;  // discovery and single-unit upgrade
// "9402" is read when longer than StatusLength, "9403" from this length on.
inline constexpr std::size_t TerminalListMinimum = 23;
// A pass-through reply carries remote bytes when longer than StatusLength. The fast-poll
// counters and the online bit maps count only within these lengths.
inline constexpr std::size_t FastPollCountersMin = 101;
inline constexpr std::size_t FastPollCountersMax = 149;
inline constexpr std::size_t OnlineMapMin = 31;
inline constexpr std::size_t OnlineMapMax = 37;

// Status bits.
inline constexpr std::uint8_t InUpgradeMode = 0x20;
inline constexpr std::uint8_t FastPollUnsupported = 0x04;
inline constexpr std::uint8_t LaChangeFailed = 0x5E;
inline constexpr std::uint8_t PortConfigFailed = 0x7E;

// Unit information ("0A").
namespace unitInfo {
inline constexpr Field Word{18, 4};
inline constexpr Field Version{22, 4};
inline constexpr Field SecondVersion{26, 4};
inline constexpr Field FixedAddress{30, 8};
inline constexpr Field ProductId{38, 2};
inline constexpr Field Text{56, 10};
} // namespace unitInfo

// Identification ("02").
namespace identification {
inline constexpr Field FixedAddress{18, 8};
inline constexpr Field La{26, 2};
inline constexpr Field ProductId{28, 2};
} // namespace identification

// Unit lists ("9402", "9403"): a count, then entries of 12 characters without separators.
namespace unitList {
inline constexpr Field Count{18, 2};
inline constexpr std::size_t FirstEntry = 20;
inline constexpr std::size_t EntryWidth = 12;
// Offsets within an entry.
inline constexpr Field La{0, 2};
inline constexpr Field FixedAddress{2, 8};
inline constexpr Field ProductId{10, 2};
// Where field f of entry i (1-based) stands in the reply.
constexpr Field entryField(std::size_t entry, Field f) {
    return {FirstEntry + EntryWidth * (entry - 1) + f.position, f.width};
}
} // namespace unitList

// Upgrade mode ("E0", "E001").
namespace upgradeMode {
inline constexpr Field BootVersion{18, 4};
inline constexpr Field AppVersion{22, 4};
} // namespace upgradeMode

// Flash status ("E1").
namespace flashStatus {
inline constexpr Field ErrorCode{20, 2};
}

// Erase and write ("E2", "E3").
namespace eraseWrite {
inline constexpr Field ErrorCode{18, 2};
}
} // namespace reply
