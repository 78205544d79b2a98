#pragma once
// How a procedure or an operation ended, as one value that every layer passes up unchanged: the
// faces print it, the site report records it and the command-line tool's exit status is made
// from it. Nothing above reads a run's end from its log lines.

#include <iosfwd>
#include <string>
#include <vector>

enum class OutcomeKind {
    Completed, // did all it was asked (a unit that needed no upgrade included)
    Refused,   // would not start on a unit: no file, an image refused, a remote too old, ...
    Failed,    // started and did not finish: a unit did not answer or reported an error
    Stopped,   // the operator stopped it
    LineLost,  // the serial line itself failed
    Error      // an error outside the protocol ended it (a file, the comms log, ...)
};

// "completed" "refused" "failed" "stopped" "line lost" "error"
const char* outcomeName(OutcomeKind kind);

struct Outcome {
    OutcomeKind kind = OutcomeKind::Completed;
    std::string reason; // why it is not completed, in the words of the log where there are some
    std::string unit;   // the unit it concerns (CCTT), when one

    static Outcome completed() { return {}; }
    static Outcome refused(std::string reason, std::string unit = {}) {
        return {OutcomeKind::Refused, std::move(reason), std::move(unit)};
    }
    static Outcome failed(std::string reason, std::string unit = {}) {
        return {OutcomeKind::Failed, std::move(reason), std::move(unit)};
    }
    static Outcome stopped() { return {OutcomeKind::Stopped, "stopped", {}}; }
    static Outcome lineLost(std::string reason = "line lost") {
        return {OutcomeKind::LineLost, std::move(reason), {}};
    }
    static Outcome error(std::string reason) { return {OutcomeKind::Error, std::move(reason), {}}; }

    bool succeeded() const { return kind == OutcomeKind::Completed; }
    // A Stop, a lost line or an error: the run ended before its end, whatever the units did.
    bool cutShort() const {
        return kind == OutcomeKind::Stopped || kind == OutcomeKind::LineLost ||
               kind == OutcomeKind::Error;
    }
    const char* name() const { return outcomeName(kind); }
    // "failed: Erase Error 05", or the name alone when there is no reason.
    std::string describe() const;

    bool operator==(const Outcome&) const = default;
};

// The more serious of two ends: completed < refused < failed < stopped < line lost < error.
// Of two of one kind, the first stands.
const Outcome& worseOf(const Outcome& a, const Outcome& b);
Outcome worstOf(const std::vector<Outcome>& outcomes);

// "failed: Erase Error 05 (0101)": for test failures and logs of the tool's own.
std::ostream& operator<<(std::ostream& out, const Outcome& outcome);
