// The whole-site run on the demo network against the simulator at 38400 baud, against the
// separate runs it replaces: a survey, each upgrade run a technician would make with the same
// choices in the window, and the survey that checks the result, each run alone. The site run
// adds only its planning, so it should take no longer than their sum.

#include "benchSupport.h"
#include "link/operation.h"
#include "simProcess.h"
#include "site/siteRun.h"
#include "siteBench.h"
#include "tools/networkSurvey.h"
#include "upgrade/dispatcher.h"
#include "upgrade/typeChoice.h"

#include <cstdio>
#include <memory>

namespace {

struct Choice {
    UnitType unitType;
    UpgradeType upgradeType;
    const char* controllerLA; // typed into the box when the window lets one type there
};

// The upgrade runs the demo network takes, in the site run's order: the terminals of each
// controller all together, the A/B controllers all together, the C/D controller alone (all
// together would also reach the A/B controller, whose product takes the QRM-C file there),
// the host interface.
const Choice kRuns[] = {{UnitType::Terminal, UpgradeType::AllUnits, "01"},
                        {UnitType::Terminal, UpgradeType::AllUnits, "02"},
                        {UnitType::ControllerAB, UpgradeType::AllUnits, ""},
                        {UnitType::ControllerCD, UpgradeType::SingleUnit, "02"},
                        {UnitType::HostInterface, UpgradeType::SingleUnit, ""}};

bool upgradeRun(OperationContext& context, const Choice& choice) {
    const TypeChoice boxes = ChooseUnitAndUpgradeType(choice.unitType, choice.upgradeType);
    UpgradeSettings settings;
    settings.unitType = choice.unitType;
    settings.upgradeType = boxes.upgradeType;
    settings.controllerLA = boxes.controllerLA.enabled && *choice.controllerLA
                                ? choice.controllerLA
                                : boxes.controllerLA.text;
    settings.terminalLA = boxes.terminalLA.text;
    PortSession port(context.link);
    if (!port.opened()) return false;
    auto image = std::make_unique<FirmwareImage>();
    FoundUnits units;
    UpgradeRun run{context, settings, boxes.scope, *image, units};
    return RunUpgrade(run).succeeded();
}

bool survey(OperationContext& context) {
    auto table = std::make_unique<SurveyTable>();
    return surveyBus(context, *table).controllers > 0;
}

// Seconds the operation took on the bus's worker; negative when it did not succeed.
double timed(BenchBus& bus, const std::function<bool(OperationContext&)>& operation) {
    bool ok = false;
    const double started = wallSeconds();
    bus.session.start(
        withFolderTrust(bus.session, [&](OperationContext& context) { ok = operation(context); }));
    bus.session.wait();
    const double took = wallSeconds() - started;
    return ok ? took : -took;
}

} // namespace

int main() {
    const SampleFolder folder;
    const std::string network = NEXALO_DEMO_NETWORK;
    std::printf("Demo network at %u baud, simulator paced (goal: site run / separate runs <= "
                "1.05)\n",
                kSiteBaud);

    double site = 0;
    {
        const SimProcess sim(folder.path().string(), "COM1", network, kSiteBaud);
        BenchBus bus(sim.link());
        site = timed(bus, [](OperationContext& context) {
            return siteSucceeded(runSite(context, "COM1", {}));
        });
    }
    std::printf("site run: %.1f s\n", site);

    double separate = 0;
    bool failed = site < 0;
    {
        const SimProcess sim(folder.path().string(), "COM1", network, kSiteBaud);
        BenchBus bus(sim.link());
        const double before = timed(bus, survey);
        std::printf("survey: %.1f s\n", before);
        separate += before;
        failed = failed || before < 0;
        for (const Choice& choice : kRuns) {
            const double took =
                timed(bus, [&](OperationContext& context) { return upgradeRun(context, choice); });
            std::printf("upgrade run (unit type %d, upgrade type %d, %s): %.1f s\n",
                        static_cast<int>(choice.unitType), static_cast<int>(choice.upgradeType),
                        choice.controllerLA, took);
            separate += took;
            failed = failed || took < 0;
        }
        const double after = timed(bus, survey);
        std::printf("survey: %.1f s\n", after);
        separate += after;
        failed = failed || after < 0;
    }
    if (failed) {
        std::printf("a run failed\n");
        return 1;
    }
    std::printf("separate runs: %.1f s; site run / separate runs: %.3f\n", separate,
                site / separate);
    reportRatio("site run / separate runs it replaces (demo network)", site / separate, "<= 1.05");
    return 0;
}
