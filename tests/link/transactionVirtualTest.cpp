#include "virtualFixture.h"

#include <chrono>

TEST_F(TransactionInVirtualTime, TwentySecondsOfRetriesPassWithoutRealWaiting) {
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(send("01", 2000, 9), "");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    ASSERT_EQ(line->frames.size(), 10u);
    // One 2 ms pause per call, then ten waits that each end just past 2000 ms.
    EXPECT_EQ(elapsedMs, 2u + 10u * 2001u);
    for (std::size_t i = 1; i < line->frameTimes.size(); ++i)
        EXPECT_EQ(line->frameTimes[i] - line->frameTimes[i - 1], 2001u);
}

TEST_F(TransactionInVirtualTime, AWaitEndsOnlyWhenTheTimeoutIsStrictlyExceeded) {
    line->responder = answerAfter(1);
    EXPECT_EQ(send("01", 1).size(), 21u);
    line->responder = answerAfter(2);
    EXPECT_EQ(send("01", 1), "");
    EXPECT_EQ(elapsedMs, 2u + 2u);
}

TEST_F(TransactionInVirtualTime, TheMinimumTimeoutRaisesShorterWaits) {
    link.setMinimumTimeout(3000);
    line->responder = answerAfter(2500);
    EXPECT_EQ(send("01", 700).size(), 21u);
    line->responder = answerAfter(3100);
    EXPECT_EQ(send("01", 700), "");
    EXPECT_EQ(elapsedMs, 2u + 3001u);
    line->responder = answerAfter(600);
    EXPECT_EQ(send("01", 5000).size(), 21u); // longer waits keep their own time-out
}

TEST_F(TransactionInVirtualTime, ALateAnswerToTheFirstAttemptDoesNotCountForTheSecond) {
    line->responder = [](const std::string& frame, int index) -> std::vector<ReplyChunk> {
        if (index == 0) return {{1500, PtyPeer::statusReplyTo(frame, "11")}};
        return {{800, PtyPeer::statusReplyTo(frame, "22")}};
    };
    const std::string reply = send("01", 1000, 1);
    ASSERT_EQ(reply.size(), 21u);
    EXPECT_EQ(reply.substr(15, 2), "22");
    EXPECT_EQ(line->frames.size(), 2u);
}

TEST_F(TransactionInVirtualTime, AClosedPortCountsAsAnAttemptWithoutReply) {
    port.ClosePort();
    EXPECT_EQ(send("01", 1000, 2), "");
    EXPECT_TRUE(line->frames.empty());
    EXPECT_EQ(link.sequenceNumber(), 2u); // three attempts took 0000 to 0002
}

// The wait sleeps on the port in slices, pumping the face between them often enough for the
// window to repaint and see Stop, yet a reply is taken when it arrives, not at the slice's end.
TEST_F(TransactionInVirtualTime, TheReplyWaitPumpsTheFaceOftenAndTakesAReplyAtOnce) {
    std::vector<std::uint64_t> pumpTimes;
    console.onWait = [&] { pumpTimes.push_back(clock.nowMs()); };
    EXPECT_EQ(send("01", 100), "");
    EXPECT_EQ(elapsedMs, 2u + 101u);
    ASSERT_GE(pumpTimes.size(), 10u);
    for (std::size_t i = 1; i < pumpTimes.size(); ++i)
        EXPECT_LE(pumpTimes[i] - pumpTimes[i - 1], 10u) << i;
    EXPECT_LT(pumpTimes.size(), 60u); // slices, not a look every millisecond

    line->responder = answerAfter(43);
    EXPECT_EQ(send("01", 100).size(), 21u);
    EXPECT_EQ(elapsedMs, 2u + 43u);
}

// The output time-out bounds the time without progress; a negative one gives up at once
// instead of waiting for ever.
TEST_F(TransactionInVirtualTime, AStalledLineEndsTheWriteAfterTheOutputTimeout) {
    line->stalled = true;
    std::uint64_t started = clock.nowMs();
    EXPECT_FALSE(port.WriteText("@0100"));
    EXPECT_EQ(clock.nowMs() - started, port.OutputTimeout() + 1u);
    const std::uint8_t byte = '@';
    started = clock.nowMs();
    EXPECT_EQ(port.WriteBytesTimed(&byte, 1, -1), 0);
    EXPECT_LE(clock.nowMs() - started, 1u);
}
