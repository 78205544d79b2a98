#pragma once
// The survey table: every unit the last network survey found, in 65 rows of 65 records. Row 0
// holds the host unit (column 0) and the terminals on the bus without a controller (columns 1
// to 64); rows 1 to 64 hold one controller each (column 0) and the terminals it listed
// (columns 1 to 64, entry i of its list in column i). The comms test reads it afterwards and
// keeps its own counters in the same records.

#include <array>
#include <cstdint>
#include <string>

// Status texts of a surveyed unit, each exactly 15 characters.
namespace surveyStatus {
inline constexpr char Ok[] = "Ok             ";
inline constexpr char UpgradeMode[] = "Upgrade Mode!  ";
inline constexpr char CommsError[] = "Comms Error!   ";
inline constexpr char DuplicateLa[] = "Duplicate LA!  ";
inline constexpr char NoLa[] = "No LA!         ";
} // namespace surveyStatus

// Answered and unanswered requests of one comms test kind.
struct CommsCounter {
    std::uint32_t passed = 0;
    std::uint32_t failed = 0;
};

struct SurveyRecord {
    static constexpr int kCommsKinds = 8;

    std::uint8_t la = 0;           // as the unit reports it; 0xFF: the unit has no LA
    std::int32_t fixedAddress = 0; // 0: the record is free; "greater than 0" tests are signed
    std::uint8_t productId = 0;
    std::uint16_t version = 0;       // 0 in upgrade mode or when not asked
    std::uint16_t secondVersion = 0; // a terminal's second version word
    bool acknowledged = false;       // identification acknowledged in this survey
    bool duplicate = false;          // another unit of the group reports the same LA
    std::string status;              // empty (not asked), surveyStatus::Ok or ::UpgradeMode

    // Owned by the comms test: kind k (1 to 8) counts in commsCounters[k - 1].
    std::array<CommsCounter, kCommsKinds> commsCounters{};
    bool tested = false;

    bool occupied() const { return fixedAddress != 0; }
    // Fixed address as the unit sends it (the signed field holds the same 32 bits).
    std::uint32_t fixedAddressBits() const { return static_cast<std::uint32_t>(fixedAddress); }
    // Clears what the survey fills; the comms test fields stay.
    void clearSurvey();
    // Clears what the comms test fills.
    void clearCommsTest();
};

class SurveyTable {
public:
    static constexpr int kRows = 65;
    static constexpr int kColumns = 65;
    static constexpr int kGroupSize = 64; // units of one group: columns 1-64 or rows 1-64
    static constexpr int kBusRow = 0;     // host unit and terminals without controller
    static constexpr int kHostColumn = 0;

    static constexpr bool contains(int row, int column) {
        return row >= 0 && row < kRows && column >= 0 && column < kColumns;
    }

    // Null outside the table.
    SurveyRecord* find(int row, int column);
    const SurveyRecord* find(int row, int column) const;
    // Throws std::out_of_range outside the table; callers stay within 0..64.
    SurveyRecord& at(int row, int column);
    const SurveyRecord& at(int row, int column) const;

    // What every survey does first; the comms test fields stay.
    void clear();
    // What every comms test does first: counters and tested marks of all records.
    void clearCommsTest();

private:
    // Every record starts free: its members carry their own initial values.
    std::array<std::array<SurveyRecord, kColumns>, kRows> records_;
};
