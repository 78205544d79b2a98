#include "site/siteBus.h"

namespace {
constexpr char kNoUnits[] = "No units found!";
constexpr char kNotVerified[] = "not every planned unit verified";
} // namespace

Outcome siteOutcome(const SiteBus& bus) {
    if (!bus.end.succeeded()) return bus.end;
    if (bus.units.empty()) return Outcome::failed(kNoUnits);
    if (bus.planOnly || bus.verified) return Outcome::completed();
    return Outcome::failed(kNotVerified);
}
