#include "outcome.h"

#include <ostream>

const char* outcomeName(OutcomeKind kind) {
    switch (kind) {
    case OutcomeKind::Completed:
        return "completed";
    case OutcomeKind::Refused:
        return "refused";
    case OutcomeKind::Failed:
        return "failed";
    case OutcomeKind::Stopped:
        return "stopped";
    case OutcomeKind::LineLost:
        return "line lost";
    case OutcomeKind::Error:
        return "error";
    }
    return "error";
}

std::string Outcome::describe() const {
    if (reason.empty() || reason == name()) return name();
    return std::string(name()) + ": " + reason;
}

const Outcome& worseOf(const Outcome& a, const Outcome& b) {
    return static_cast<int>(b.kind) > static_cast<int>(a.kind) ? b : a;
}

Outcome worstOf(const std::vector<Outcome>& outcomes) {
    Outcome worst;
    for (const Outcome& outcome : outcomes)
        worst = worseOf(worst, outcome);
    return worst;
}

std::ostream& operator<<(std::ostream& out, const Outcome& outcome) {
    out << outcome.describe();
    if (!outcome.unit.empty()) out << " (" << outcome.unit << ")";
    return out;
}
