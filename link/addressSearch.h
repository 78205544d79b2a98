#pragma once
// A search of addresses that may hold no unit (every LA of a scan). Silence at an empty address
// is the common answer there, so with extra attempts set a silent address is not asked again
// at once: the silent ones are asked again after the pass, in as many rounds as the loss that
// the answering units met in this run calls for. A damaged reply shows a unit there and is
// repeated at once. Without extra attempts each address gets its use's retries at once, and
// no later round.

#include "link/transaction.h"

#include <functional>
#include <string>
#include <vector>

class AddressSearch {
public:
    // Called for each address that answered, with the key it was asked with.
    using Heard = std::function<void(int key, const std::string& address, const Reply& reply)>;
    // Called before each repeated address is asked; true ends the rounds (a Skip, a Stop).
    using Before = std::function<bool(int key)>;

    AddressSearch(Transaction& link, std::string command, TimeoutRetries use);

    // One address of the pass; an answer is also given to heard.
    Reply ask(int key, const std::string& address, const Heard& heard);
    // The rounds after the pass: the silent addresses asked again, in the order of the pass.
    void repeatSilent(const Before& before, const Heard& heard);
    // A further request to a unit that answered (its details): what it needed adds to the loss.
    Reply askAnswered(const std::string& address, const std::string& command, TimeoutRetries use);

    // Rounds that a silent address gets after the pass at the loss measured so far.
    int roundsDue() const;

    // Before the rounds, the units that answered are polled until the run's searches have this
    // many sendings to them to measure the loss by (sendings whose reply, if lost, was asked
    // for again at once): a poll of a unit that is there takes a few milliseconds, each round
    // over the silent addresses a time-out for each. Two hundred see a loss of one in twenty
    // all but for sure.
    static constexpr unsigned kMeasuredSendings = 200;

private:
    struct Asked {
        int key;
        std::string address;
    };
    void tally(const Reply& reply, unsigned silentBefore);
    void measureLine(const Before& before);

    Transaction& link_;
    std::string command_;
    TimeoutRetries use_;
    bool deferring_;
    std::vector<Asked> silent_;
    std::vector<Asked> answered_;
};

// The rounds after the pass for a loss share (repeats to answering units / their sendings), with
// the operator's extra attempts: at least one, enough that a unit there stays silent through
// the pass and every round about once in a million, and never more than a silent address was
// asked without deferring (its retry and the extra attempts).
int searchRoundsFor(double lossShare, int extraAttempts);
