#pragma once
// Reading a network description (JSON) into the simulator's model.
//
// {"seed": N, "latencyMs": MS, "clearMemoryMs": MS, "faults": {REPLY FAULTS},
//  "host": {UNIT, "position": "7F00" | "7E00" | "007E"},
//  "controllers": [{UNIT, "model": "AB" | "CD", "terminals": [{UNIT}, ...]}, ...],
//  "busTerminals": [{UNIT}, ...]}
// UNIT: "name", "la" and "fixedAddress" (hex text or number), "productId" (decimal),
//  "version", "secondVersion", "bootVersion" ("0105", "1.05" or a number), "infoWord",
//  "text", "status" (extra status bits), "upgradeMode", "versionPlace" (auto, hex16,
//  hexHigh, srec), "entryCommand" (E0, E001), "refusePort2",
//  "fastPoll": {"supported", "units" (40, 64), "timeouts": [counts], "secondMap"},
//  "remote": {"productId", "version", "refuseEntry", "powerLoss"},
//  "faults": {REPLY FAULTS, "refuseUpgrade", "silentBulkErase", "answersStatusNotInfo",
//    "eraseFault": {"sector", "code", "always"}, "pageFault": {"address", "code", "always"},
//    "powerLoss": {"afterRequests" | "afterFrames", "offMs"}, "laChangeFailure" (status bits within
//    5E), "refuseNewLa"}
// REPLY FAULTS: shares from 0 to 1 of "drop", "badCrc", "lowerCaseCrc", "staleSequence",
//  "noise", and "delayMs". Unknown members are refused, so a misspelt fault never goes unseen.

#include "sim/unitModel.h"

#include <optional>
#include <string>
#include <string_view>

namespace sim {

struct NetworkLoad {
    std::optional<Network> network;
    std::string error; // why there is no network: the key or value at fault
};

NetworkLoad parseNetwork(std::string_view jsonText);
NetworkLoad loadNetworkFile(const std::string& path);

} // namespace sim
