// The session of a bus: its run control, and two sessions working at once in one process.

#include "link/linkSession.h"
#include "link/operation.h"
#include "sim/networkFile.h"
#include "tests/support/simBus.h"
#include "tools/networkSurvey.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(RunControl, StopAndSkipActOnlyWhereTheyMeanSomething) {
    RunControl control;
    std::vector<RunPhase> seen;
    control.setObserver([&](RunPhase phase) { seen.push_back(phase); });
    control.requestStop(); // nothing runs: a late click must not stop the next run
    EXPECT_EQ(control.phase(), RunPhase::Idle);
    ASSERT_TRUE(control.begin());
    EXPECT_FALSE(control.stopRequested());
    EXPECT_FALSE(control.begin()); // the one busy flag
    control.requestSkip();         // not searching: nothing to skip
    EXPECT_FALSE(control.skipRequested());
    control.setDiscovering(true);
    control.requestSkip();
    EXPECT_TRUE(control.skipRequested());
    control.setDiscovering(false); // the search is over, and so is its Skip
    EXPECT_FALSE(control.skipRequested());
    control.setDiscovering(true);
    control.requestStop();
    control.setDiscovering(false); // a Stop outranks the end of the search
    EXPECT_EQ(control.phase(), RunPhase::Stopping);
    control.end();
    EXPECT_FALSE(control.stopRequested());
    EXPECT_EQ(seen,
              (std::vector<RunPhase>{RunPhase::Working, RunPhase::Discovering, RunPhase::Working,
                                     RunPhase::Discovering, RunPhase::Stopping, RunPhase::Idle}));
}

// Each session on a bus of its own, each survey on its session's worker: both find their own
// network, neither the other's.
TEST(TwoSessions, SurveyTheirOwnBusesAtOnce) {
    RecordingConsole firstConsole, secondConsole;
    testkit::PtyBus first(firstConsole, testkit::networkFrom(R"({ "controllers": [
        { "name": "a", "la": "01", "fixedAddress": "10000001", "productId": 5 } ] })"));
    testkit::PtyBus second(secondConsole, testkit::networkFrom(R"({ "controllers": [
        { "name": "b", "la": "02", "fixedAddress": "10000002", "productId": 5 } ] })"));
    first.control.end(); // the kit's buses stand in a run; these are run by their sessions
    second.control.end();
    SurveyTable firstTable, secondTable;
    SurveyOutcome firstOutcome, secondOutcome;
    ASSERT_TRUE(first.session.start(
        [&](OperationContext& context) { firstOutcome = surveyBus(context, firstTable); },
        RunLog::Report));
    ASSERT_TRUE(second.session.start(
        [&](OperationContext& context) { secondOutcome = surveyBus(context, secondTable); },
        RunLog::Report));
    EXPECT_TRUE(first.session.busy() || second.session.busy());
    first.session.wait();
    second.session.wait();
    EXPECT_EQ(firstOutcome.controllers, 1);
    EXPECT_EQ(secondOutcome.controllers, 1);
    const auto mentions = [](const std::vector<std::string>& lines, const std::string& text) {
        for (const std::string& line : lines)
            if (line.find(text) != std::string::npos) return true;
        return false;
    };
    EXPECT_TRUE(mentions(firstConsole.reportLines, "10000001"));
    EXPECT_FALSE(mentions(firstConsole.reportLines, "10000002"));
    EXPECT_TRUE(mentions(secondConsole.reportLines, "10000002"));
    EXPECT_FALSE(mentions(secondConsole.reportLines, "10000001"));
}

} // namespace
