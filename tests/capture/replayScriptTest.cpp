// The replay's matching: repeats of a request beyond or short of the recording's, a request the
// recording does not have, and the re-stamping of what it answers.

#include "sim/replayScript.h"
#include "captureText.h"
#include "sim/frameCrc.h"

#include <gtest/gtest.h>

namespace {

using namespace capturetest;

const std::string kPoll = "01";
const std::string kInfo = "0A";

// A status poll whose first attempt timed out and whose second was answered, then a unit
// information request answered.
capture::Capture pollRepeatedThenInfo() {
    const std::string text =
        header() + request(100, requestFrame("0101", "0000", kPoll)) + timeout(600) +
        request(700, requestFrame("0101", "0001", kPoll)) + reply(900, replyFrame("0001", "11")) +
        request(1000, requestFrame("0101", "0002", kInfo)) + reply(1200, replyFrame("0002", "22"));
    capture::Read read = capture::readCaptureText(text, "repeats.jsonl");
    EXPECT_TRUE(read.capture) << read.error;
    return read.capture.value_or(capture::Capture{});
}

std::string bytesOf(const std::optional<std::vector<sim::OutgoingReply>>& replies) {
    std::string bytes;
    for (const sim::OutgoingReply& reply : replies.value_or(std::vector<sim::OutgoingReply>{}))
        bytes += reply.bytes;
    return bytes;
}

TEST(ReplayScript, AnswersInOrderReStampedWithTheSequenceNumberSentNow) {
    sim::ReplayScript script(pollRepeatedThenInfo(), true);
    EXPECT_EQ(bytesOf(script.answer(requestFrame("0101", "1230", kPoll))), "");
    EXPECT_EQ(bytesOf(script.answer(requestFrame("0101", "1231", kPoll))),
              replyFrame("1231", "11"));
    EXPECT_EQ(bytesOf(script.answer(requestFrame("0101", "1232", kInfo))),
              replyFrame("1232", "22"));
    EXPECT_FALSE(script.divergence());
    EXPECT_EQ(script.requestsReceived(), 3u);
}

TEST(ReplayScript, RepeatsBeyondOrShortOfTheRecordingAreNormalised) {
    {
        sim::ReplayScript script(pollRepeatedThenInfo(), true);
        script.answer(requestFrame("0101", "0000", kPoll));
        script.answer(requestFrame("0101", "0001", kPoll));
        // A third attempt the recording did not make: lost as the first one was.
        EXPECT_EQ(bytesOf(script.answer(requestFrame("0101", "0002", kPoll))), "");
        EXPECT_EQ(bytesOf(script.answer(requestFrame("0101", "0003", kInfo))),
                  replyFrame("0003", "22"));
        EXPECT_EQ(script.extraRepeats(), 1u);
        EXPECT_FALSE(script.divergence());
    }
    {
        sim::ReplayScript script(pollRepeatedThenInfo(), true);
        script.answer(requestFrame("0101", "0000", kPoll));
        // The recorded second attempt is not made: the next request is matched past it.
        EXPECT_EQ(bytesOf(script.answer(requestFrame("0101", "0001", kInfo))),
                  replyFrame("0001", "22"));
        EXPECT_EQ(script.skippedRepeats(), 1u);
        EXPECT_FALSE(script.divergence());
    }
}

TEST(ReplayScript, ARequestTheRecordingDoesNotHaveIsADivergenceAndEndsTheAnswers) {
    sim::ReplayScript script(pollRepeatedThenInfo(), true);
    script.answer(requestFrame("0101", "0000", kPoll));
    script.answer(requestFrame("0101", "0001", kPoll));
    EXPECT_EQ(bytesOf(script.answer(requestFrame("0102", "0002", kInfo))), "");
    ASSERT_TRUE(script.divergence());
    EXPECT_EQ(*script.divergence(),
              "request 3: recorded 0101 0A unit information, sent 0102 0A unit information");
    // What would have matched before is not answered any more.
    EXPECT_EQ(bytesOf(script.answer(requestFrame("0101", "0003", kInfo))), "");
    // Past the recording's end.
    sim::ReplayScript shortOne(pollRepeatedThenInfo(), true);
    for (const char* sequence : {"0000", "0001"})
        shortOne.answer(requestFrame("0101", sequence, kPoll));
    shortOne.answer(requestFrame("0101", "0002", kInfo));
    shortOne.answer(requestFrame("FF00", "0003", "9B01"));
    EXPECT_EQ(shortOne.divergence().value_or(""),
              "request 4: the recording has no more requests, sent FF00 9B01 upgrade run end");
}

TEST(ReplayScript, ReStampingLeavesNoiseAndDamagedFramesAsTheyWere) {
    const std::string damaged = "%0000010101000577ABCD\r";
    const std::string recorded = "\x11\x7F" + replyFrame("0005", "33") + damaged + "%00";
    const std::string moved = sim::restamped(recorded, 0x0100);
    EXPECT_EQ(moved, "\x11\x7F" + replyFrame("0105", "33") + damaged + "%00");
    // The sequence number wraps as the tool's does.
    EXPECT_EQ(sim::restamped(replyFrame("FFFF"), 2), replyFrame("0001"));
}

} // namespace
