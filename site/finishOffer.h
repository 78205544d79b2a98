#pragma once
// While a step of the site run has units in hand, the operator's first Stop lets them finish:
// the step erases and writes them, resets them and confirms that they run, starts nothing new,
// and the run stops after it. The offer names the units in hand and about how long they take,
// from the pages left and the line speed; the step withdraws it when it ends.

#include "image/firmwareImage.h"
#include "link/operationContext.h"
#include "site/siteUnit.h"

#include <string>
#include <vector>

// "0101, 0102": the units in the order given.
std::string unitNames(const std::vector<std::string>& units);
// "Stopping after 0102 (about 40 s); Stop again to stop at once and leave it in its boot
// loader", the units named in the order given.
std::string finishingNote(const std::vector<std::string>& units, int seconds);

class FinishOffer {
public:
    // image: the one the step writes, read by its procedure before the first unit is asked.
    // The offer follows the run's ledger: it stands from the moment a unit is asked into
    // upgrade mode, erase included, for as long as any unit is in hand.
    FinishOffer(OperationContext& context, SiteUnitKind kind, const FirmwareImage& image);
    ~FinishOffer();
    FinishOffer(const FinishOffer&) = delete;
    FinishOffer& operator=(const FinishOffer&) = delete;

    // Whatever the step says: once the operator has taken the offer, the log says so, once.
    void noticeStop();
    // The step has ended: the offer is withdrawn, and a Stop that let its units finish now
    // ends the run at its next checkpoint.
    void stepEnded();

private:
    // A unit's life moved on: the offer follows the units in hand and the pages they have left.
    void unitChanged();
    int pagesLeft(const std::vector<std::string>& units);

    OperationContext& context_;
    SiteUnitKind kind_;
    const FirmwareImage& image_;
    int pages_ = -1; // of the step's image, counted once a unit is in hand
    std::string note_;
    bool told_ = false;
};
