// The output half of a purge throws away only what is still queued for the line: a frame that
// was handed over whole must never be cut by the purge before the next request.

#include "link/linkSession.h"
#include "link/transaction.h"
#include "scriptedBackend.h"
#include "tests/support/recordingConsole.h"

#include <gtest/gtest.h>

namespace {

class QueueRecordingBackend : public ScriptedBackend {
public:
    using ScriptedBackend::ScriptedBackend;

    struct Purge {
        bool input, output;
        int queuedThen;
    };
    int queued = 0;
    std::vector<Purge> purges;

    int outputQueued() override { return queued; }
    void purge(bool input, bool output) override {
        purges.push_back({input, output, queued});
        ScriptedBackend::purge(input, output);
    }
};

} // namespace

TEST(PurgeRule, OutputIsPurgedOnlyWhileSomethingIsQueued) {
    VirtualClock clock;
    auto* line = new QueueRecordingBackend(clock);
    RecordingConsole console;
    LinkSession session(console, clock, std::unique_ptr<SerialBackend>(line));
    TSerialPort& port = session.port();
    Transaction& link = session.link();
    configureForTool(port);
    ASSERT_TRUE(port.OpenPort());
    line->purges.clear(); // opening purges too

    port.PurgeBuffers(true, true);
    line->queued = 7;
    port.PurgeBuffers(true, true);
    port.PurgeBuffers(true, false);
    port.PurgeBuffers(false, true);
    line->queued = 0;
    port.PurgeBuffers(false, true);

    ASSERT_EQ(line->purges.size(), 5u);
    const bool expectedOutput[] = {false, true, false, true, false};
    const bool expectedInput[] = {true, true, true, false, false};
    for (std::size_t i = 0; i < line->purges.size(); ++i) {
        EXPECT_EQ(line->purges[i].output, expectedOutput[i]) << i;
        EXPECT_EQ(line->purges[i].input, expectedInput[i]) << i;
    }

    // The transaction's purge before each request follows the same rule.
    line->purges.clear();
    std::string reply;
    reply = link.TxMessage("FF00", "9B00", 0, 0).text;
    ASSERT_EQ(line->purges.size(), 1u);
    EXPECT_TRUE(line->purges[0].input);
    EXPECT_FALSE(line->purges[0].output);
}
