#include "link/unitLedger.h"

#include <algorithm>

const char* unitStageText(UnitStage stage) {
    switch (stage) {
    case UnitStage::Planned:
        return "planned";
    case UnitStage::AskedIntoUpgradeMode:
        return "asked into upgrade mode";
    case UnitStage::InBootLoader:
        return "in its boot loader";
    case UnitStage::Erased:
        return "erased";
    case UnitStage::Writing:
        return "writing";
    case UnitStage::Reset:
        return "reset";
    case UnitStage::ConfirmedRunning:
        return "confirmed running";
    case UnitStage::Failed:
        return "failed";
    case UnitStage::Refused:
        return "refused";
    case UnitStage::NotReached:
        return "not reached";
    }
    return "?";
}

bool UnitLife::inHand() const {
    return stage == UnitStage::AskedIntoUpgradeMode || stage == UnitStage::InBootLoader ||
           stage == UnitStage::Erased || stage == UnitStage::Writing || stage == UnitStage::Reset;
}

bool UnitLife::leftInBootLoader() const {
    return stage != UnitStage::ConfirmedRunning && (flashUnfinished || mayBeInBootLoader);
}

void UnitLedger::clear() {
    units_.clear();
    order_.clear();
}

UnitLife& UnitLedger::unit(const std::string& address) {
    auto [it, added] = units_.try_emplace(address);
    if (added) {
        it->second.address = address;
        order_.push_back(address);
    }
    return it->second;
}

void UnitLedger::changed(const UnitLife& unit) {
    if (listener_) listener_(unit);
}

void UnitLedger::identified(const std::string& address, const std::string& fixedAddress,
                            int productId, std::optional<std::string> before) {
    UnitLife& u = unit(address);
    if (!fixedAddress.empty()) u.fixedAddress = fixedAddress;
    if (productId != 0) u.productId = productId;
    if (before) u.before = std::move(before);
}

void UnitLedger::foundInBootLoader(const std::string& address) {
    unit(address).mayBeInBootLoader = true;
}

void UnitLedger::file(const std::string& address, UnitFile file) {
    unit(address).file = std::move(file);
}

std::string UnitLedger::asking(const std::string& address) {
    UnitLife& u = unit(address);
    if (!u.started && recorder_ != nullptr) {
        std::string problem = recorder_->started(u);
        if (!problem.empty()) return problem;
        u.started = true;
    }
    u.stage = UnitStage::AskedIntoUpgradeMode;
    u.mayBeInBootLoader = true;
    u.reason.clear();
    changed(u);
    return {};
}

void UnitLedger::notAsked(const std::string& address, const std::string& reason) {
    UnitLife& u = unit(address);
    // Only a unit that had never been in its boot loader in this run is out of it for sure.
    if (!u.flashUnfinished && u.stage == UnitStage::AskedIntoUpgradeMode)
        u.mayBeInBootLoader = false;
    u.stage = UnitStage::NotReached;
    u.reason = reason;
    changed(u);
}

void UnitLedger::inBootLoader(const std::string& address) {
    UnitLife& u = unit(address);
    u.stage = UnitStage::InBootLoader;
    u.mayBeInBootLoader = true;
    changed(u);
}

void UnitLedger::outsideBootLoader(const std::string& address) {
    UnitLife& u = unit(address);
    if (!u.flashUnfinished) u.mayBeInBootLoader = false;
    changed(u);
}

void UnitLedger::erased(const std::string& address) {
    UnitLife& u = unit(address);
    u.stage = UnitStage::Erased;
    u.flashUnfinished = true;
    u.page = 0;
    changed(u);
}

void UnitLedger::page(const std::string& address, int written, int pages) {
    UnitLife& u = unit(address);
    u.stage = UnitStage::Writing;
    u.page = written;
    u.pages = pages;
    changed(u);
}

void UnitLedger::reset(const std::string& address) {
    UnitLife& u = unit(address);
    u.stage = UnitStage::Reset;
    u.flashUnfinished = false;
    changed(u);
}

void UnitLedger::confirmed(const std::string& address, std::optional<std::string> after) {
    UnitLife& u = unit(address);
    u.stage = UnitStage::ConfirmedRunning;
    u.mayBeInBootLoader = false;
    u.flashUnfinished = false;
    u.reason.clear();
    if (after) u.after = std::move(after);
    writeEnd(u, "completed");
    changed(u);
}

void UnitLedger::failed(const std::string& address, const std::string& reason) {
    UnitLife& u = unit(address);
    u.stage = UnitStage::Failed;
    u.reason = reason;
    changed(u);
}

void UnitLedger::refused(const std::string& address, const std::string& reason) {
    UnitLife& u = unit(address);
    u.stage = UnitStage::Refused;
    u.reason = reason;
    // A refusal before anything was sent leaves a record when a file was in question.
    if (!u.file.name.empty() || u.started) writeEnd(u, "refused");
    changed(u);
}

void UnitLedger::runEnded(const std::string& reason) {
    for (const std::string& address : order_) {
        UnitLife& u = units_.at(address);
        if (u.stage != UnitStage::Planned) continue;
        u.stage = UnitStage::NotReached;
        u.reason = reason;
        changed(u);
    }
}

void UnitLedger::record(UnitRecorder* recorder) {
    recorder_ = recorder;
    if (recorder == nullptr) return;
    for (auto& [address, unit] : units_)
        unit.started = unit.recorded = false;
}

void UnitLedger::writeEnd(UnitLife& unit, const char* outcome) {
    if (unit.recorded || recorder_ == nullptr) return;
    if (!unit.started && std::string(outcome) != "refused") return;
    unit.recorded = true;
    recorder_->ended(unit, outcome);
}

void UnitLedger::endRecords(const char* cutShortBy) {
    const bool cut = cutShortBy != nullptr && *cutShortBy != '\0';
    for (const std::string& address : order_) {
        UnitLife& u = units_.at(address);
        if (!u.started || u.recorded) continue;
        if (u.stage == UnitStage::Failed) {
            writeEnd(u, "failed");
        } else if (cut) {
            writeEnd(u, cutShortBy);
        } else if (u.stage == UnitStage::Reset) {
            // Reset with every page in and no failure said: a run that does not confirm (a file
            // the operator chose) went its whole way.
            writeEnd(u, "completed");
        } else {
            if (u.reason.empty()) u.reason = "not confirmed running";
            writeEnd(u, "failed");
        }
    }
}

const UnitLife* UnitLedger::find(const std::string& address) const {
    const auto it = units_.find(address);
    return it == units_.end() ? nullptr : &it->second;
}

std::vector<std::string> UnitLedger::unitsInHand() const {
    std::vector<std::string> addresses;
    for (const std::string& address : order_)
        if (units_.at(address).inHand()) addresses.push_back(address);
    return addresses;
}

std::vector<std::string> UnitLedger::leftInBootLoader() const {
    std::vector<std::string> addresses;
    for (const std::string& address : order_)
        if (units_.at(address).leftInBootLoader()) addresses.push_back(address);
    return addresses;
}
