#include "siteQuestion.h"

#include "interrupt.h"
#include "site/siteEstimate.h"
#include "terminal.h"

#include <algorithm>
#include <iostream>
#include <string>

namespace {
constexpr int kAnswerSliceMs = 100;
} // namespace

SiteQuestion::SiteQuestion(std::size_t buses, ControllerModel model, std::uint32_t bitsPerSecond,
                           const FirmwareTrust& trust, int extraAttempts)
    : model_(model), bitsPerSecond_(bitsPerSecond), extraAttempts_(extraAttempts), trust_(trust),
      in_(buses, false) {}

bool SiteQuestion::goOn(std::size_t bus, const SiteBus& plan) {
    std::unique_lock lock(mutex_);
    arrive(bus, &plan);
    answered_.wait(lock, [this] { return answer_.has_value(); });
    return *answer_;
}

void SiteQuestion::ended(std::size_t bus) {
    std::lock_guard lock(mutex_);
    arrive(bus, nullptr);
}

bool SiteQuestion::declined() const {
    std::lock_guard lock(mutex_);
    return answer_.has_value() && !*answer_;
}

void SiteQuestion::arrive(std::size_t bus, const SiteBus* plan) {
    if (in_[bus]) return;
    in_[bus] = true;
    if (plan != nullptr) plans_.push_back(*plan);
    if (!std::all_of(in_.begin(), in_.end(), [](bool in) { return in; })) return;
    // Every other bus waits on this answer; a Ctrl-C before it is a No.
    answer_ = plans_.empty() || (!interruptRequested() && ask());
    if (!*answer_) std::cout << "Nothing was upgraded.\n" << std::flush;
    answered_.notify_all();
}

// The window's question, answered on the terminal: anything but "y" or "yes" is No, and so is
// the end of the input.
bool SiteQuestion::ask() const {
    std::vector<SiteEstimate> estimates;
    for (const SiteBus& plan : plans_)
        estimates.push_back(
            estimateWrites(plannedWrites(plan, model_, trust_), bitsPerSecond_, extraAttempts_));
    const SiteEstimate all = combineEstimates(estimates);
    if (all.total() == 0) return true;
    std::cout << siteQuestion(all, bitsPerSecond_) << " [y/N] " << std::flush;
    // Asked on a bus's worker, where Ctrl-C does not break the read: it is looked at between
    // short waits for the answer, and answers No.
    while (!inputArrives(kAnswerSliceMs))
        if (interruptRequested()) {
            std::cout << "\n";
            return false;
        }
    std::string answer;
    if (!std::getline(std::cin, answer)) answer.clear();
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes";
}
