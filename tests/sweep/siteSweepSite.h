#pragma once
// The mixed site of the site-run sweep: a host interface, an A/B controller whose three
// terminals one "ALL units" step writes, a class-0 terminal that goes on its own, and a remote
// behind a terminal. Small generated files, so that a whole run has few enough requests to be
// cut at a spread of them; and each unit's state as the simulator holds it, which is what the
// sweep judges the tool's words by.

#include "link/catalogue.h"
#include "sim/networkSimulator.h"
#include "sweepImages.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace sweep {

inline constexpr char kMixedSite[] = R"({ "seed": 9,
  "host": { "name": "host", "position": "7F00", "fixedAddress": "00007F01", "productId": 18,
            "version": "1.05" },
  "controllers": [
    { "name": "c1", "model": "AB", "la": "01", "fixedAddress": "10000001", "productId": 5,
      "version": "2.01", "terminals": [
        { "name": "t1", "la": "01", "fixedAddress": "20000101", "productId": 3, "version": "1.02" },
        { "name": "t2", "la": "02", "fixedAddress": "20000102", "productId": 3, "version": "1.02" },
        { "name": "t3", "la": "03", "fixedAddress": "20000103", "productId": 6, "version": "1.02" },
        { "name": "k0", "la": "04", "fixedAddress": "20000104", "productId": 2, "version": "1.00" },
        { "name": "r1", "la": "05", "fixedAddress": "20000105", "productId": 31, "version": "1.05",
          "remote": { "productId": 31, "version": "2.03" } } ] } ] })";

// The images every unit of the site must run once the site is up to date, read back from the
// files written into the working folder (the remote's application is kept short).
struct SiteImages {
    FirmwareImage host, controller, terminal, classZero, remote;

    static SiteImages written() {
        using fwgen::FileFormat;
        upgradetest::writeFirmware("Host-K2.hex", FileFormat::Hex16, 2, 30, 1024, 13);
        upgradetest::writeFirmware("Controller-K2.hex", FileFormat::Hex16, 4, 20, 1024, 11);
        upgradetest::writeFirmware("Terminal-K2.hex", FileFormat::Hex16, 2, 21, 1024, 12);
        upgradetest::writeFirmware("Terminal-K1.hex", FileFormat::Hex16, 2, 10, 1024, 14);
        upgradetest::writeFirmware("remoteR1.s19", FileFormat::S19, 2, 51, 512, 21);
        return {unitImage(18, UnitType::HostInterface, UpgradeType::SingleUnit),
                unitImage(5, UnitType::ControllerAB, UpgradeType::AllUnits),
                unitImage(3, UnitType::Terminal, UpgradeType::AllUnits),
                unitImage(2, UnitType::Terminal, UpgradeType::SingleUnit), remoteImage(31)};
    }
};

// One unit of the site that the run must bring up to date, as the simulator holds it.
struct Member {
    std::string name;    // the simulated unit (for a remote: the terminal it is behind)
    bool remote = false; // the remote behind that terminal
    const FirmwareImage* image = nullptr;

    std::string label() const { return remote ? name + " (remote)" : name; }
};

inline std::vector<Member> siteMembers(const SiteImages& images) {
    return {{"host", false, &images.host},   {"c1", false, &images.controller},
            {"t1", false, &images.terminal}, {"t2", false, &images.terminal},
            {"t3", false, &images.terminal}, {"k0", false, &images.classZero},
            {"r1", true, &images.remote}};
}

// Empty when the member runs its file; else what the simulator holds instead.
inline std::string memberProblem(const sim::Unit& unit, const Member& member) {
    return member.remote ? remoteProblem(unit.remote, *member.image)
                         : unitProblem(unit, *member.image);
}

// In its boot loader, or (still without power) will be when its power returns.
inline bool inBootLoader(const sim::Unit& unit, const Member& member) {
    if (member.remote) return unit.remote.upgradeMode;
    return unit.poweredOff ? unit.upgradeUnderWay : unit.upgradeMode;
}

// How far each unit's log of requests had got: what came after a mark is one run's.
struct RequestMark {
    std::map<std::string, std::size_t> commands, remoteRequests;
    std::map<std::string, bool> inBootLoader, remoteInBootLoader; // at the mark
};

inline RequestMark markOf(const sim::Network& network) {
    RequestMark mark;
    for (const sim::Unit& unit : network.units) {
        mark.commands[unit.name] = unit.commands.size();
        mark.remoteRequests[unit.name] = unit.remote.requests.size();
        mark.inBootLoader[unit.name] = inBootLoader(unit, {unit.name, false, nullptr});
        mark.remoteInBootLoader[unit.name] = unit.remote.upgradeMode;
    }
    return mark;
}

// The simulator heard the member asked into upgrade mode since the mark.
inline bool askedIntoUpgradeMode(const sim::Unit& unit, const Member& member,
                                 const RequestMark& since) {
    if (member.remote) {
        const auto& requests = unit.remote.requests;
        const std::vector<std::uint8_t> entry(std::begin(remote::EntryCode),
                                              std::end(remote::EntryCode));
        return std::find(requests.begin() + static_cast<long>(since.remoteRequests.at(unit.name)),
                         requests.end(), entry) != requests.end();
    }
    for (std::size_t i = since.commands.at(unit.name); i < unit.commands.size(); ++i)
        if (unit.commands[i] == cmd::EnterUpgrade || unit.commands[i] == cmd::EnterUpgrade01)
            return true;
    return false;
}

// In its boot loader before the run, which never asked it into upgrade mode: whatever put it
// there, the run did not.
inline bool stuckBeforeTheRun(const sim::Unit& unit, const Member& member,
                              const RequestMark& before) {
    const auto& was = member.remote ? before.remoteInBootLoader : before.inBootLoader;
    return was.at(unit.name) && !askedIntoUpgradeMode(unit, member, before);
}

} // namespace sweep
