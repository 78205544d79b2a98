#include "site/finishOffer.h"

#include "image/pageFormat.h"
#include "link/catalogue.h"
#include "link/serialPort.h"
#include "site/siteEstimate.h"

#include <algorithm>

std::string unitNames(const std::vector<std::string>& units) {
    std::string names;
    for (const std::string& unit : units)
        names += (names.empty() ? "" : ", ") + unit;
    return names;
}

std::string finishingNote(const std::vector<std::string>& units, int seconds) {
    const bool one = units.size() == 1;
    return "Stopping after " + unitNames(units) + " (about " + std::to_string(seconds) +
           " s); Stop again to stop at once and leave " +
           (one ? "it in its boot loader" : "them in their boot loader");
}

FinishOffer::FinishOffer(OperationContext& context, SiteUnitKind kind, const FirmwareImage& image)
    : context_(context), kind_(kind), image_(image) {
    context_.units.listen([this](const UnitLife&) { unitChanged(); });
}

FinishOffer::~FinishOffer() {
    context_.units.listen({});
    context_.control.offerFinish({}, {});
}

int FinishOffer::pagesLeft(const std::vector<std::string>& units) {
    // A remote's blocks go through its terminal; everything else takes the pages of its image.
    if (pages_ < 0)
        pages_ = kind_ == SiteUnitKind::Remote ? remote::BlockCount + 1 : CountPages(image_);
    int left = 0;
    for (const std::string& address : units) {
        const UnitLife* unit = context_.units.find(address);
        int unitLeft = pages_;
        if (unit != nullptr && unit->stage == UnitStage::Writing)
            unitLeft = unit->pages - unit->page;
        else if (unit != nullptr && unit->stage == UnitStage::Reset)
            unitLeft = 0;
        left = std::max(left, unitLeft);
    }
    return left;
}

void FinishOffer::unitChanged() {
    const std::vector<std::string> units = context_.units.unitsInHand();
    // Once taken, the offer stands as it was told: a Stop now would stop at once.
    if (context_.control.finishRequested()) {
        noticeStop();
        return;
    }
    if (units.empty()) {
        context_.control.offerFinish({}, {});
        return;
    }
    const std::uint32_t bitsPerSecond = baudRateBitsPerSecond(context_.link.port().ComPortSpeed());
    note_ = finishingNote(units, secondsToFinish(kind_, pagesLeft(units), bitsPerSecond));
    context_.control.offerFinish(unitNames(units), note_);
}

void FinishOffer::noticeStop() {
    if (told_ || note_.empty()) return;
    if (context_.control.stopLevel() != StopLevel::AfterUnitsInHand) return;
    told_ = true;
    context_.console.status(context_.control.finishNote());
}

void FinishOffer::stepEnded() {
    context_.control.offerFinish({}, {});
    if (context_.control.finishRequested()) context_.control.requestStopNow();
}
