#include "exchangeResult.h"

const char* outcomeName(ExchangeOutcome outcome) {
    switch (outcome) {
    case ExchangeOutcome::Accepted:
        return "accepted";
    case ExchangeOutcome::NotAwaited:
        return "not awaited";
    case ExchangeOutcome::TimedOut:
        return "time-out";
    case ExchangeOutcome::BadCrc:
        return "bad CRC";
    case ExchangeOutcome::StaleSequence:
        return "stale sequence number";
    case ExchangeOutcome::WriteFailed:
        return "write failed";
    case ExchangeOutcome::PortError:
        return "port error";
    }
    return "unknown";
}
