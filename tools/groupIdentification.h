#pragma once
// Identification of one group of units by broadcast: every unit of the group answers with its
// fixed address, LA and product ID, whatever its LA, until it is acknowledged by fixed address.

#include "link/operationContext.h"
#include "surveyTable.h"

#include <array>
#include <span>

enum class SurveyGroup {
    sgControllers,  // rows 1 to 64 of column 0, reached by "FF00"
    sgBusTerminals, // row 0, columns 1 to 64, reached by "00FF"
};

using GroupRecords = std::array<SurveyRecord*, SurveyTable::kGroupSize>;

// The group's records in their order of first reply.
GroupRecords groupRecords(SurveyTable& table, SurveyGroup group);
const char* groupBroadcast(SurveyGroup group);

// Passes left: this many at the start and again after every pass that brought a reply, one
// less after each pass. Without any reply that is three passes, after the last reply two more.
inline constexpr int kPassCounterStart = 3;
// Polls without a reply that end the collection of one pass.
inline constexpr int kMissesToEndPass = 5;
// A unit that answers every identification but never takes its acknowledgement would keep
// the passes going for ever, and the survey cannot be stopped: give up after this many.
inline constexpr int kIdentifyPassLimit = 100;

struct IdentifyOutcome {
    int passes = 0;
    bool passLimitReached = false;
};

// Fills the group's records; units beyond the 64th and fixed address 0 are not recorded.
IdentifyOutcome identifyGroup(OperationContext& context, SurveyTable& table, SurveyGroup group);

// Flags both records of every pair of occupied records with the same LA.
void flagDuplicates(std::span<SurveyRecord* const> records);
