#include "addressSearch.h"

#include <algorithm>
#include <cmath>

namespace {

// How rarely a unit that is there may stay silent through the pass and the rounds.
constexpr double kMissedShare = 1e-6;

} // namespace

int searchRoundsFor(double lossShare, int extraAttempts) {
    if (extraAttempts <= 0) return 0;
    const int most = extraAttempts + 1;
    int rounds = 1;
    while (rounds < most && std::pow(lossShare, rounds + 1) > kMissedShare)
        ++rounds;
    return rounds;
}

AddressSearch::AddressSearch(Transaction& link, std::string command, TimeoutRetries use)
    : link_(link), command_(std::move(command)), use_(use), deferring_(link.extraAttempts() > 0) {}

Reply AddressSearch::ask(int key, const std::string& address, const Heard& heard) {
    if (!deferring_) {
        const Reply reply = link_.TxMessage(address, command_, use_);
        if (!reply.empty()) heard(key, address, reply);
        return reply;
    }
    const Reply reply = link_.TxUntilSilent(address, command_, use_);
    if (reply.empty()) {
        if (reply.left()) silent_.push_back({key, address});
        return reply;
    }
    // Not tallied: a reply lost to this request is silence, which tells nothing yet.
    answered_.push_back({key, address});
    heard(key, address, reply);
    return reply;
}

void AddressSearch::repeatSilent(const Before& before, const Heard& heard) {
    if (silent_.empty()) return;
    measureLine(before);
    for (int round = 1; round <= roundsDue() && !silent_.empty(); ++round) {
        std::vector<Asked> still;
        for (std::size_t i = 0; i < silent_.size(); ++i) {
            const Asked& address = silent_[i];
            if (before(address.key) || link_.lineLost()) return;
            const Reply reply = link_.TxUntilSilent(address.address, command_, use_);
            if (reply.empty()) {
                still.push_back(address);
                continue;
            }
            tally(reply, static_cast<unsigned>(round));
            answered_.push_back(address);
            heard(address.key, address.address, reply);
        }
        silent_ = std::move(still);
    }
}

// The units that answered, asked in turn with the search's own request (a read, safe to repeat),
// its lost replies repeated at once.
void AddressSearch::measureLine(const Before& before) {
    for (std::size_t next = 0;
         !answered_.empty() && link_.searchLoss().sendings < kMeasuredSendings; ++next) {
        const Asked& unit = answered_[next % answered_.size()];
        if (before(unit.key) || link_.lineLost()) return;
        const Reply reply = link_.TxMessage(unit.address, command_, use_);
        if (reply.empty()) return; // gone quiet: the rounds find out what else is
        tally(reply, 0);
    }
}

Reply AddressSearch::askAnswered(const std::string& address, const std::string& command,
                                 TimeoutRetries use) {
    const Reply reply = link_.TxMessage(address, command, use);
    if (deferring_ && !reply.empty()) tally(reply, 0);
    return reply;
}

int AddressSearch::roundsDue() const {
    if (!deferring_) return 0;
    const Transaction::SearchLoss& loss = link_.searchLoss();
    const double share = loss.sendings == 0 ? 0.0 : double(loss.repeats) / loss.sendings;
    // Set to none during the search: the silent addresses still get the round they were promised.
    return searchRoundsFor(share, std::max(link_.extraAttempts(), 1));
}

// silentBefore: the sendings of earlier rounds that met silence.
void AddressSearch::tally(const Reply& reply, unsigned silentBefore) {
    Transaction::SearchLoss& loss = link_.searchLoss();
    loss.sendings += reply.sendings + silentBefore;
    loss.repeats += reply.sendings - 1 + silentBefore;
}
