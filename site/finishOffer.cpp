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

FinishOffer::FinishOffer(OperationContext& context, SiteUnitKind kind, const FirmwareImage& image,
                         UnitsInHand unitsInHand)
    : context_(context), kind_(kind), image_(image), unitsInHand_(std::move(unitsInHand)) {}

FinishOffer::~FinishOffer() {
    context_.control.offerFinish({}, {});
}

void FinishOffer::progressed(int done, int span) {
    const std::vector<std::string> units = unitsInHand_();
    if (units.empty() || span <= 0) return;
    // A remote's blocks go through its terminal; everything else takes the pages of its image.
    if (pages_ < 0)
        pages_ = kind_ == SiteUnitKind::Remote ? remote::BlockCount + 1 : CountPages(image_);
    const int pages = (pages_ * (span - std::min(done, span)) + span - 1) / span;
    const std::uint32_t bitsPerSecond = baudRateBitsPerSecond(context_.link.port().ComPortSpeed());
    note_ = finishingNote(units, secondsToFinish(kind_, pages, bitsPerSecond));
    // Once taken, the offer stands as it was told: a Stop now would stop at once.
    if (context_.control.finishRequested()) {
        noticeStop();
        return;
    }
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
