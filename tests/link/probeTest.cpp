#include "tools/responseProbe.h"
#include "virtualFixture.h"
#include "wireFixture.h"

namespace {

constexpr std::uint64_t kPauseBeforeRequestMs = 2;

class ProbeInVirtualTime : public TransactionInVirtualTime {
protected:
    void SetUp() override {} // the probe opens the port itself
};

class ProbeOnPty : public TransactionOnPty {
protected:
    void SetUp() override { peer.start(); }
};

} // namespace

TEST_F(ProbeInVirtualTime, GivesUpAfterTwoUnansweredProbes) {
    const ProbeOutcome outcome = probeResponseTime(link, "0100");
    EXPECT_TRUE(outcome.portOpened);
    EXPECT_EQ(outcome.attempts, 2);
    EXPECT_EQ(outcome.successes, 0);
    EXPECT_EQ(outcome.label, "0 msec");
    ASSERT_EQ(line->frames.size(), 2u);
    EXPECT_EQ(line->frames[0].substr(7, 4), "0100");
    EXPECT_EQ(line->frames[0].substr(15, 2), "01");
    // Two waits of 5000 ms ended just past it, two 2 ms pauses, two 200 ms pauses.
    EXPECT_EQ(clock.nowMs(), 2 * (kPauseBeforeRequestMs + 5001) + 2 * 200);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(console.messages.empty());
}

TEST_F(ProbeInVirtualTime, AveragesTheAnsweredProbesOnly) {
    constexpr int kDelayMs = 80;
    line->responder = [](const std::string& frame, int index) -> std::vector<ReplyChunk> {
        if (index == 0) return {};                                                // silent
        if (index == 3) return {{10, PtyPeer::statusReplyTo(frame, "00") + "X"}}; // 21 chars still
        if (index == 4)
            return {{10, AppendCRC("%0100000100" + PtyPeer::sequenceOf(frame) + "0000") + "\r"}};
        return {{kDelayMs, PtyPeer::statusReplyTo(frame)}};
    };
    const ProbeOutcome outcome = probeResponseTime(link, "0100");
    EXPECT_EQ(outcome.attempts, 5);
    // Probes 2 and 3 answer after 80 ms, probe 4 after 10 ms; probe 5's 23 characters do not count.
    EXPECT_EQ(outcome.successes, 3);
    const std::uint64_t total =
        2 * (kPauseBeforeRequestMs + kDelayMs) + (kPauseBeforeRequestMs + 10);
    EXPECT_EQ(outcome.averageMs, total / 3);
    EXPECT_EQ(outcome.label, std::to_string(total / 3) + " msec");
}

TEST_F(ProbeInVirtualTime, APortThatDoesNotOpenSendsNothing) {
    line->openable = false;
    port.ClosePort();
    const ProbeOutcome outcome = probeResponseTime(link, "0100");
    EXPECT_FALSE(outcome.portOpened);
    EXPECT_EQ(outcome.attempts, 0);
    EXPECT_EQ(outcome.label, "0 msec");
    EXPECT_TRUE(line->frames.empty());
    ASSERT_EQ(console.messages.size(), 1u);
    EXPECT_EQ(console.messages[0].text, "Failed to open COM port");
}

TEST_F(ProbeOnPty, MeasuresAUnitThatAnswersOverTheWire) {
    constexpr int kDelayMs = 80;
    answerWith([](const std::string& frame, int) -> std::vector<ReplyChunk> {
        return {{kDelayMs, PtyPeer::statusReplyTo(frame)}};
    });
    const auto started = std::chrono::steady_clock::now();
    const ProbeOutcome outcome = probeResponseTime(link, "0100");
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(outcome.successes, 5);
    EXPECT_GE(outcome.averageMs, static_cast<std::uint32_t>(kDelayMs));
    // Headroom for a loaded machine, yet below the 200 ms pause that must not be counted.
    EXPECT_LT(outcome.averageMs, static_cast<std::uint32_t>(kDelayMs + 200));
    EXPECT_EQ(outcome.label, std::to_string(outcome.averageMs) + " msec");
    EXPECT_GE(took, std::chrono::milliseconds(5 * (kDelayMs + 200)));
    EXPECT_FALSE(port.IsOpen());
}
