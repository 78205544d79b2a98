#pragma once
// From a survey to the plan: every unit the survey found, in tree order, with the file it takes
// from the working folder and what is to be done with it.

#include "site/firmwareShelf.h"
#include "site/siteOptions.h"
#include "site/siteUnit.h"
#include "tools/networkSurvey.h"
#include "tools/surveyTable.h"

#include <cstdint>
#include <vector>

// A unit of the plan with what the survey read of it, which the steps and the verdict need.
struct SurveyedUnit {
    SiteUnit unit;
    bool answered = false;     // the survey read its version
    bool upgradeMode = false;  // it reported upgrade mode
    std::uint16_t version = 0; // a remote's: its second version
    std::uint8_t la = 0;
    std::uint8_t controllerLa = 0; // a terminal's or remote's controller; 0 on the bus
};

// The units of a survey in tree order, each with its kind, address and version before.
std::vector<SurveyedUnit> surveyedUnits(const SurveyTable& table, const SurveyOutcome& outcome);

// The unit type under which a unit takes its file and class: a product-5 controller by the
// model chosen, a product-50 one as a C/D controller.
UnitType unitTypeOf(const SurveyedUnit& unit, ControllerModel model);

// Whether the unit's product is a remote behind a terminal (classes 12, 15 and 18).
bool isRemoteProduct(int productId);

// Fills file, file version and action of every unit. A unit to upgrade is "planned"; every
// other one already has its result, the one its action names.
void planUnits(std::vector<SurveyedUnit>& units, const SiteOptions& options, FirmwareShelf& shelf);

SiteResult resultBeforeRun(SiteAction action);

// Whether a unit that answered with this version needs the file of that version.
bool behindFile(const SurveyedUnit& unit, std::uint16_t fileVersion);
