#pragma once
// What the two forms of the global upgrade share: how a found unit is addressed in the scope
// of the run, and the report at the end.

#include "image/firmwareImage.h"
#include "link/catalogue.h"
#include "link/outcome.h"
#include "upgrade/upgradeRun.h"

#include <string>
#include <vector>

namespace global {

// The controller LA of a terminal-scope run: the first two characters of the LA box.
std::string controllerLA(const UpgradeRun& run);
// A found unit's address: LA + "00" for controllers, controller LA + LA for terminals.
std::string unitAddress(const UpgradeRun& run, int la);
// Where a broadcast reaches every unit of the run: "FF00", or controller LA + "FF".
std::string classBroadcast(const UpgradeRun& run);

// "Unit " + address + message (message with its leading blank).
std::string unitLine(const std::string& address, const char* message);

// A request whose reply is not read.
void fireAndForget(UpgradeRun& run, const std::string& address, const char* command);

// The upgrade report: every done and failed unit in LA order.
void report(UpgradeRun& run);

// The units whose flash this run left unfinished, in LA order.
std::vector<int> unfinishedUnits(const UpgradeRun& run);
// Names them for the next run ("Left in boot loader for the next run: 0101 0102"); says nothing
// when there are none. True when it named any.
bool reportLeftInBootLoader(UpgradeRun& run);

// How the run ended, from the table of found units and the run's state.
Outcome outcomeOf(const UpgradeRun& run);

} // namespace global
