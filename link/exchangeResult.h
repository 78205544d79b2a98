#pragma once
// A unit's reply as the procedures see it: its text (empty on any failure) with the reason the
// exchange ended as it did, which tells a time-out from a garbled line and from a port that is
// gone.

#include <array>
#include <cstddef>
#include <string>

enum class ExchangeOutcome {
    Accepted,      // a reply with a good CRC to the current sequence number
    NotAwaited,    // sent with time-out 0: no reply is read
    TimedOut,      // nothing that looked like a reply came in time
    BadCrc,        // a reply came, but its CRC did not check out
    StaleSequence, // a good reply, but to an earlier request
    WriteFailed,   // the request did not leave whole
    PortError      // the line itself failed (adapter unplugged, far end gone)
};
constexpr std::size_t kExchangeOutcomeCount = 7;

struct Reply {
    std::string text; // the accepted frame, CRC included; empty unless accepted
    ExchangeOutcome outcome = ExchangeOutcome::TimedOut;
    std::string platformText; // the operating system's words for a port error
    // A time-out with the start of a reply and not its end: the unit is there.
    bool cutShort = false;
    // How many times the request went out, its repeats included.
    unsigned sendings = 1;

    bool accepted() const { return outcome == ExchangeOutcome::Accepted; }
    // Something came back that was not a good answer: the address is held by a unit.
    bool damaged() const {
        return cutShort || outcome == ExchangeOutcome::BadCrc ||
               outcome == ExchangeOutcome::StaleSequence;
    }
    bool empty() const { return text.empty(); }
    // The request went out whole, whatever came back.
    bool left() const {
        return outcome != ExchangeOutcome::WriteFailed && outcome != ExchangeOutcome::PortError;
    }
};

const char* outcomeName(ExchangeOutcome outcome);

// How the exchanges of a run ended, one count per outcome.
class ExchangeCounts {
public:
    void add(ExchangeOutcome outcome) { counts_[static_cast<std::size_t>(outcome)]++; }
    unsigned of(ExchangeOutcome outcome) const {
        return counts_[static_cast<std::size_t>(outcome)];
    }
    // Exchanges that waited for a reply, whatever came of them.
    unsigned awaited() const {
        unsigned total = 0;
        for (unsigned count : counts_)
            total += count;
        return total - of(ExchangeOutcome::NotAwaited);
    }
    void reset() { counts_ = {}; }

private:
    std::array<unsigned, kExchangeOutcomeCount> counts_{};
};
