#include "upgrade/foundUnits.h"

FoundUnit* FoundUnits::at(int la) {
    return holds(la) ? &units_[static_cast<std::size_t>(la - kFirstLA)] : nullptr;
}

const FoundUnit* FoundUnits::at(int la) const {
    return holds(la) ? &units_[static_cast<std::size_t>(la - kFirstLA)] : nullptr;
}

void FoundUnits::clear() {
    units_.fill(FoundUnit{});
}
