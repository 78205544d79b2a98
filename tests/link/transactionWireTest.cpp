#include "link/linkSession.h"
#include "watchdog.h"
#include "wireFixture.h"

#include <cctype>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

// A reply to frame carrying the given sequence digits, data, and a correct CRC.
std::string replyWithSequence(const std::string& sequence, const std::string& data = "00") {
    return AppendCRC("%0100000100" + sequence + data) + "\r";
}

std::string sequenceBefore(const std::string& frame) {
    char digits[5];
    std::snprintf(digits, sizeof digits, "%04X",
                  (HexToWord(PtyPeer::sequenceOf(frame)) + 0xFFFF) & 0xFFFF);
    return digits;
}

} // namespace

TEST_F(TransactionOnPty, NumbersFramesFrom0000AndWrapsAfterFFFF) {
    std::string reply;
    reply = link.TxMessage("FF00", "9B00", 0, 0).text;
    EXPECT_TRUE(reply.empty());
    link.setSequenceNumber(0xFFFE);
    reply = link.TxMessage("0100", "01", 0, 0).text;
    reply = link.TxMessage("0100", "01", 0, 0).text;
    ASSERT_TRUE(peer.waitForFrames(3, 1000));
    const auto frames = peer.frames();
    EXPECT_EQ(frames[0], "@010000FF0000009B00221B\r");
    EXPECT_EQ(PtyPeer::sequenceOf(frames[1]), "FFFF");
    EXPECT_EQ(PtyPeer::sequenceOf(frames[2]), "0000");
    EXPECT_EQ(frames[2], AppendCRC("@01000001000000"
                                   "01") +
                             "\r");
}

TEST_F(TransactionOnPty, ReturnsTheAcceptedReplyWithoutItsCarriageReturn) {
    std::string expected;
    answerWith([&](const std::string& frame, int) -> std::vector<ReplyChunk> {
        expected = PtyPeer::statusReplyTo(frame, "20");
        return {{5, expected}};
    });
    const std::string reply = send("01", 500);
    EXPECT_EQ(reply, withoutEnd(expected));
    EXPECT_EQ(reply.size(), 21u);
    EXPECT_LT(elapsedMs, 300); // acceptance ends the wait at once
}

TEST_F(TransactionOnPty, PercentRestartsCollectionAndNoiseIsIgnored) {
    std::string expected;
    answerWith([&](const std::string& frame, int) -> std::vector<ReplyChunk> {
        expected = PtyPeer::statusReplyTo(frame);
        return {{0, "noise\r%\r%12\r"}, {5, "%01000001"}, {5, expected}};
    });
    const std::string reply = send("01", 500);
    EXPECT_EQ(reply, withoutEnd(expected));
}

TEST_F(TransactionOnPty, RejectsLowerCaseCrcDigits) {
    answerWith([&](const std::string& frame, int) -> std::vector<ReplyChunk> {
        // Find a status byte whose CRC has letters, so the lower-case copy differs.
        for (int status = 0; status < 256; ++status) {
            char data[3];
            std::snprintf(data, sizeof data, "%02X", status);
            std::string good = replyWithSequence(PtyPeer::sequenceOf(frame), data);
            std::string lowered = good;
            for (std::size_t i = lowered.size() - 5; i < lowered.size(); ++i)
                lowered[i] =
                    static_cast<char>(std::tolower(static_cast<unsigned char>(lowered[i])));
            if (lowered != good) return {{0, lowered}};
        }
        return {};
    });
    EXPECT_EQ(send("01", 150), "");
    EXPECT_GE(elapsedMs, 150);
}

TEST_F(TransactionOnPty, DropsAReplyToAnEarlierSequenceNumberAndWaitsOn) {
    std::string expected;
    answerWith([&](const std::string& frame, int) -> std::vector<ReplyChunk> {
        expected = PtyPeer::statusReplyTo(frame, "01");
        return {{0, replyWithSequence(sequenceBefore(frame))}, {30, expected}};
    });
    const std::string reply = send("01", 500);
    EXPECT_EQ(reply, withoutEnd(expected));
}

TEST_F(TransactionOnPty, TenRetriesSendElevenConsecutiveNumbers) {
    link.setSequenceNumber(0xFFF9);
    EXPECT_EQ(send("01", 20, 10), "");
    ASSERT_TRUE(peer.waitForFrames(11, 1000));
    const auto frames = peer.frames();
    ASSERT_EQ(frames.size(), 11u);
    for (std::size_t i = 0; i < frames.size(); ++i)
        EXPECT_EQ(HexToWord(PtyPeer::sequenceOf(frames[i])), (0xFFFAu + i) & 0xFFFF) << i;
}

TEST_F(TransactionOnPty, RetriesStopAtTheFirstReply) {
    answerWith([&](const std::string& frame, int index) -> std::vector<ReplyChunk> {
        if (index < 2) return {};
        return {{0, PtyPeer::statusReplyTo(frame)}};
    });
    EXPECT_EQ(send("01", 50, 10).size(), 21u);
    EXPECT_EQ(peer.frames().size(), 3u);
}

TEST_F(TransactionOnPty, CollectsFramesUpToTheBoundAndDropsLongerOnes) {
    const Watchdog watchdog(std::chrono::seconds(10), "frame bound");
    // Replies counted with their carriage return: 22 fixed characters plus the data.
    const std::size_t longestData = Transaction::kMaxFrameLength - 22;
    answerWith([&](const std::string& frame, int index) -> std::vector<ReplyChunk> {
        const std::string sequence = PtyPeer::sequenceOf(frame);
        if (index == 0)
            return {{0, replyWithSequence(sequence, "00" + std::string(longestData, '7'))}};
        return {{0, replyWithSequence(sequence, "00" + std::string(longestData + 1, '7'))},
                {0, "%" + std::string(20000, '8')},
                {0, replyWithSequence(sequence, "05")}};
    });
    EXPECT_EQ(send("01", 500).size(), Transaction::kMaxFrameLength - 1);
    const std::string reply = send("01", 500);
    EXPECT_EQ(reply.size(), 21u);
    EXPECT_EQ(reply.substr(15, 2), "05");
}

TEST_F(TransactionOnPty, MinimumTimeoutLengthensWaitsButNotFireAndForget) {
    link.setMinimumTimeout(400);
    answerWith([&](const std::string& frame, int) -> std::vector<ReplyChunk> {
        return {{250, PtyPeer::statusReplyTo(frame)}};
    });
    EXPECT_EQ(send("01", 50).size(), 21u);
    EXPECT_GE(elapsedMs, 250);

    link.setMinimumTimeout(3000);
    EXPECT_EQ(send("01", 0), "");
    EXPECT_LT(elapsedMs, 1000); // far below the minimum, with headroom for a loaded machine
}

// Characters 30 ms apart, each well inside the time-out (headroom for a loaded machine), keep
// the wait going far beyond a single time-out.
TEST_F(TransactionOnPty, TheTimeoutRunsFromTheLastCharacterOfTheFrame) {
    answerWith([&](const std::string& frame, int) -> std::vector<ReplyChunk> {
        std::vector<ReplyChunk> trickle;
        for (const char c : PtyPeer::statusReplyTo(frame))
            trickle.push_back({30, std::string(1, c)});
        return trickle;
    });
    EXPECT_EQ(send("01", 250).size(), 21u);
    EXPECT_GE(elapsedMs, 600);
}

TEST_F(TransactionOnPty, NoiseOutsideAFrameDoesNotExtendTheWait) {
    answerWith([&](const std::string&, int) -> std::vector<ReplyChunk> {
        std::vector<ReplyChunk> noise;
        for (int i = 0; i < 30; ++i)
            noise.push_back({20, "x"});
        return noise;
    });
    EXPECT_EQ(send("01", 100), "");
    EXPECT_LT(elapsedMs, 400);
}

TEST(TransactionOnAHungUpLine, EndsAtOnceWithThePlatformsWordsAndWithoutSpinning) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    RecordingConsole console;
    LinkSession session(console);
    TSerialPort& port = session.port();
    Transaction& link = session.link();
    link.setWaitHook([&console] { console.waited(); });
    configureForTool(port);
    port.setDevicePath(ptsname(master));
    ASSERT_TRUE(port.OpenPort());
    close(master); // the far end goes away: the line hangs up
    std::string reply;
    auto started = std::chrono::steady_clock::now();
    Reply result = link.TxMessage("0100", "01", 1000, 5);
    reply = result.text;
    EXPECT_EQ(reply, "");
    EXPECT_EQ(result.outcome, ExchangeOutcome::PortError);
    EXPECT_EQ(result.platformText, "Input/output error");
    // No retry and no reply wait on a line that is gone.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(600));
    EXPECT_EQ(link.counts().of(ExchangeOutcome::PortError), 1u);

    started = std::chrono::steady_clock::now();
    const long waitsBefore = console.waits;
    result = link.PollResponse(300);
    EXPECT_EQ(result.outcome, ExchangeOutcome::PortError);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(100));
    EXPECT_LT(console.waits - waitsBefore, 20);

    // The fault belongs to the opening: a closed port reports none.
    port.ClosePort();
    EXPECT_EQ(port.LineFault(), "");
}
