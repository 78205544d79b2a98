#pragma once
// Where each request of the clean site run falls (the step it belongs to and what it does to a
// unit: search, asked into upgrade mode, erase, pages, reset, confirmation, survey) and the
// unit it is addressed to; and the spread of requests the sweep strikes at, every phase of
// every step among them.

#include "link/catalogue.h"
#include "sim/addressing.h"
#include "siteSweepRun.h"

#include <map>
#include <string>
#include <vector>

namespace sweep {

struct RequestPlace {
    std::string phase; // "terminals, ALL units: erase"
    std::string frame; // "01FF E27F"
    std::optional<PowerTarget> target;
};

// Which step a status line of the run starts, if it starts one.
inline std::optional<std::string> stepOfStatus(const std::string& line) {
    const std::vector<std::pair<std::string, std::string>> steps{
        {"Site: remote ", "remote, single unit"},
        {"Site: terminals of controller", "terminals, ALL units"},
        {"Site: terminal ", "class-0 terminal, single unit"},
        {"Site: A/B controllers", "controllers, ALL units"},
        {"Site: host ", "host, single unit"},
        {"Site: survey to verify", "verifying survey"}};
    for (const auto& [start, step] : steps)
        if (line.starts_with(start)) return step;
    return std::nullopt;
}

// What one pass-through request asks of the remote.
inline std::string remotePhase(const std::string& command) {
    if (command.size() < 9) return "remote request";
    const auto request = static_cast<std::uint8_t>(std::stoul(command.substr(7, 2), nullptr, 16));
    if (request == remote::EntryCode[0] || request == remote::RequestPrepare)
        return "asked into upgrade mode";
    if (request == remote::RequestEraseBlock) return "erase";
    if (request == remote::RequestSetAddress || request == remote::RequestWrite) return "pages";
    if (request == remote::RequestLeave) return "reset";
    return "version";
}

inline std::string commandPhase(const std::string& command, bool afterReset) {
    if (command.starts_with(cmd::RemoteClose)) return "reset";
    if (command.starts_with(cmd::PassThroughCode)) return remotePhase(command);
    if (command == cmd::EnterUpgrade || command == cmd::EnterUpgrade01)
        return "asked into upgrade mode";
    if (command.starts_with(cmd::EraseCode)) return "erase";
    if (command.starts_with(cmd::WritePageCode)) return "pages";
    if (command.starts_with(cmd::FlashStatus)) return "flash status";
    if (command.starts_with(cmd::Reset)) return "reset";
    // A unit running again answers its polls and information requests: the confirmation.
    if (command.starts_with(cmd::UnitInfo) || command.starts_with(cmd::StatusPoll)) {
        if (afterReset) return "confirmation";
        return command.starts_with(cmd::UnitInfo) ? "unit info" : "status poll";
    }
    return "search";
}

// The unit request k strikes: a pass-through request the remote behind its terminal, a
// broadcast one of the units it reaches in turn, nothing when it reaches none.
inline std::optional<PowerTarget> targetOf(const sim::Network& network,
                                           const std::vector<sim::ReceivedFrame>& frames,
                                           std::size_t k) {
    const sim::ReceivedFrame& frame = frames[k - 1];
    const sim::Reach reach = sim::resolveAddress(network, frame.address);
    if (reach.units.empty()) return std::nullopt;
    const sim::Unit& unit =
        network.units[static_cast<std::size_t>(reach.units[k % reach.units.size()])];
    if (!frame.command.starts_with(cmd::PassThroughCode) || !unit.hasRemote)
        return PowerTarget{unit.name};
    std::uint32_t before = 0;
    for (std::size_t i = 0; i + 1 < k; ++i)
        if (frames[i].address == frame.address &&
            frames[i].command.starts_with(cmd::PassThroughCode))
            ++before;
    return PowerTarget{unit.name, true, before};
}

// The place of every request of a clean run, from its frames and the frame count at which each
// step's status line was written.
inline std::vector<RequestPlace> placesOf(const sim::Network& network,
                                          const std::map<std::size_t, std::string>& stepStarts) {
    const std::vector<sim::ReceivedFrame>& frames = network.frames;
    std::vector<RequestPlace> places;
    std::string step = "first survey";
    bool afterReset = false;
    for (std::size_t k = 1; k <= frames.size(); ++k) {
        // A step's line is written before its first request goes out.
        if (const auto it = stepStarts.find(k - 1); it != stepStarts.end()) {
            step = it->second;
            afterReset = false;
        }
        const sim::ReceivedFrame& frame = frames[k - 1];
        const bool surveying = step == "first survey" || step == "verifying survey";
        const std::string phase = surveying ? "survey" : commandPhase(frame.command, afterReset);
        afterReset = afterReset || phase == "reset";
        places.push_back({step + ": " + phase, frame.address + " " + frame.command.substr(0, 16),
                          targetOf(network, frames, k)});
    }
    return places;
}

// Every request of a phase with at most perPhase requests; of a longer one, perPhase of them
// spread evenly from its first to its last. Request numbers from 1, in order.
inline std::vector<std::size_t> spreadOver(const std::vector<RequestPlace>& places,
                                           std::size_t perPhase) {
    std::map<std::string, std::vector<std::size_t>> byPhase;
    for (std::size_t k = 1; k <= places.size(); ++k)
        byPhase[places[k - 1].phase].push_back(k);
    std::vector<std::size_t> chosen;
    for (const auto& [phase, ks] : byPhase) {
        if (ks.size() <= perPhase) {
            chosen.insert(chosen.end(), ks.begin(), ks.end());
            continue;
        }
        for (std::size_t i = 0; i < perPhase; ++i)
            chosen.push_back(ks[i * (ks.size() - 1) / (perPhase - 1)]);
    }
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    return chosen;
}

// The spread with the fewest requests of each long phase that still strikes at least least
// requests (all of them, when the run has fewer).
inline std::vector<std::size_t> spreadOfAtLeast(const std::vector<RequestPlace>& places,
                                                std::size_t least) {
    for (std::size_t perPhase = 2;; ++perPhase) {
        std::vector<std::size_t> chosen = spreadOver(places, perPhase);
        if (chosen.size() >= least || chosen.size() == places.size()) return chosen;
    }
}

} // namespace sweep
