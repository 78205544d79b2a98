#pragma once
// While a step of the site run writes its units, the operator's first Stop lets them finish:
// the step writes their last pages, resets them and confirms that they run, starts nothing
// new, and the run stops after it. The offer names the units in hand and about how long they
// take, from the pages left and the line speed; the step withdraws it when it ends.

#include "image/firmwareImage.h"
#include "link/operationContext.h"
#include "site/siteUnit.h"

#include <functional>
#include <string>
#include <vector>

// "0101, 0102": the units in the order given.
std::string unitNames(const std::vector<std::string>& units);
// "Stopping after 0102 (about 40 s); Stop again to stop at once and leave it in its boot
// loader", the units named in the order given.
std::string finishingNote(const std::vector<std::string>& units, int seconds);

class FinishOffer {
public:
    // The addresses of the units the step is writing now.
    using UnitsInHand = std::function<std::vector<std::string>()>;

    // image: the one the step writes, read by its procedure before the first page goes.
    FinishOffer(OperationContext& context, SiteUnitKind kind, const FirmwareImage& image,
                UnitsInHand unitsInHand);
    ~FinishOffer();
    FinishOffer(const FinishOffer&) = delete;
    FinishOffer& operator=(const FinishOffer&) = delete;

    // The step's bar moved to done of span: the offer follows the units and the time left.
    void progressed(int done, int span);
    // Whatever the step says: once the operator has taken the offer, the log says so, once.
    void noticeStop();
    // The step has ended: the offer is withdrawn, and a Stop that let its units finish now
    // ends the run at its next checkpoint.
    void stepEnded();

private:
    OperationContext& context_;
    SiteUnitKind kind_;
    const FirmwareImage& image_;
    int pages_ = -1; // of the step's image, counted at its first page
    UnitsInHand unitsInHand_;
    std::string note_;
    bool told_ = false;
};
