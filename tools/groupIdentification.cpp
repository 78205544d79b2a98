#include "groupIdentification.h"

#include "link/catalogue.h"
#include "link/replyReader.h"

#include <optional>

namespace {

// Stores one identification in the record with its fixed address, else in the first free one;
// dropped when the group is full.
void takeIdentification(GroupRecords& records, const reply::Identification& id, SurveyGroup group) {
    if (id.fixedAddress == 0) return;
    const auto fixed = static_cast<std::int32_t>(id.fixedAddress);
    for (SurveyRecord* record : records) {
        if (record->fixedAddress != fixed) continue;
        record->la = id.la;
        record->productId = id.productId;
        // A controller that answers again has lost its acknowledgement; a terminal gets one
        // acknowledgement per survey whatever it does.
        if (group == SurveyGroup::sgControllers) record->acknowledged = false;
        return;
    }
    for (SurveyRecord* record : records) {
        if (record->occupied()) continue;
        record->fixedAddress = fixed;
        record->la = id.la;
        record->productId = id.productId;
        return;
    }
}

// Collects the replies to one identification request; true when at least one came.
bool collectReplies(OperationContext& context, GroupRecords& records, SurveyGroup group) {
    bool any = false;
    int misses = kMissesToEndPass;
    while (misses > 0 && !context.ended()) {
        const std::string frame = context.link.PollResponse(delay::SurveyIdentifyPoll).text;
        if (std::optional<reply::Identification> id = reply::readIdentification(frame)) {
            takeIdentification(records, *id, group);
            any = true;
            misses = kMissesToEndPass;
        }
        --misses;
    }
    return any;
}

void acknowledgeAll(OperationContext& context, GroupRecords& records, SurveyGroup group) {
    for (SurveyRecord* record : records) {
        if (context.ended()) return;
        if (!record->occupied() || record->acknowledged) continue;
        const std::string answer =
            context.link
                .TxMessage(groupBroadcast(group), cmd::acknowledge(record->fixedAddressBits()),
                           tr::SurveyAcknowledge)
                .text;
        // A controller confirms with a status reply; a terminal's silence is no failure.
        record->acknowledged = group == SurveyGroup::sgBusTerminals || reply::isStatusReply(answer);
    }
}

void sendBoundary(OperationContext& context, SurveyGroup group) {
    context.link.TxMessage(groupBroadcast(group), cmd::IdentifyBoundary, tr::FireAndForget);
}

} // namespace

GroupRecords groupRecords(SurveyTable& table, SurveyGroup group) {
    GroupRecords records{};
    for (int i = 1; i <= SurveyTable::kGroupSize; ++i)
        records[i - 1] = group == SurveyGroup::sgControllers ? &table.at(i, 0)
                                                             : &table.at(SurveyTable::kBusRow, i);
    return records;
}

const char* groupBroadcast(SurveyGroup group) {
    return group == SurveyGroup::sgControllers ? addr::AllControllers : addr::AllBusTerminals;
}

IdentifyOutcome identifyGroup(OperationContext& context, SurveyTable& table, SurveyGroup group) {
    GroupRecords records = groupRecords(table, group);
    IdentifyOutcome outcome;
    if (context.ended()) return outcome;
    sendBoundary(context, group);
    int passesLeft = kPassCounterStart;
    while (passesLeft > 0 && !context.ended()) {
        if (outcome.passes == kIdentifyPassLimit) {
            outcome.passLimitReached = true;
            break;
        }
        ++outcome.passes;
        context.link.TxMessage(groupBroadcast(group), cmd::identify(), tr::FireAndForget);
        if (context.ended()) break; // nobody can answer, or nobody is to be asked
        // The units answer in slots of their own while the line is left alone.
        context.clock.sleepMs(delay::SurveyIdentifyCollect);
        if (collectReplies(context, records, group)) passesLeft = kPassCounterStart;
        acknowledgeAll(context, records, group);
        --passesLeft;
    }
    sendBoundary(context, group);
    return outcome;
}

void flagDuplicates(std::span<SurveyRecord* const> records) {
    for (std::size_t j = 0; j < records.size(); ++j) {
        if (!records[j]->occupied()) continue;
        for (std::size_t i = 0; i < j; ++i) {
            if (records[i]->la != records[j]->la) continue;
            records[i]->duplicate = true;
            records[j]->duplicate = true;
        }
    }
}
