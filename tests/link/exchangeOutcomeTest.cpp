#include "virtualFixture.h"

namespace {

// The frame's last CRC digit changed to another hex digit.
std::string withBadCrc(std::string reply) {
    char& digit = reply[reply.size() - 2];
    digit = digit == '0' ? '1' : '0';
    return reply;
}

std::string toEarlierRequest(const std::string& frame) {
    const std::uint16_t sequence =
        static_cast<std::uint16_t>(HexToWord(PtyPeer::sequenceOf(frame)));
    char earlier[5];
    std::snprintf(earlier, sizeof earlier, "%04X", static_cast<std::uint16_t>(sequence - 1));
    return AppendCRC(std::string("%0100000100") + earlier + "00") + "\r";
}

} // namespace

TEST_F(TransactionInVirtualTime, EachExchangeSaysWhyItEndedAndTheRunCountsThem) {
    line->responder = answerAfter(5);
    EXPECT_EQ(link.TxMessage("0100", "01", 100, 0).outcome, ExchangeOutcome::Accepted);
    EXPECT_EQ(link.TxMessage("FF00", "9B00", 0, 0).outcome, ExchangeOutcome::NotAwaited);

    line->responder = [](const std::string& frame, int) -> std::vector<ReplyChunk> {
        return {{5, withBadCrc(PtyPeer::statusReplyTo(frame))}};
    };
    const Reply garbled = link.TxMessage("0100", "01", 100, 0);
    EXPECT_EQ(garbled.outcome, ExchangeOutcome::BadCrc);
    EXPECT_EQ(garbled.text, "");

    line->responder = [](const std::string& frame, int) -> std::vector<ReplyChunk> {
        return {{5, toEarlierRequest(frame)}};
    };
    EXPECT_EQ(link.TxMessage("0100", "01", 100, 0).outcome, ExchangeOutcome::StaleSequence);

    // A garbled reply followed by a good one is a success.
    line->responder = [](const std::string& frame, int) -> std::vector<ReplyChunk> {
        const std::string good = PtyPeer::statusReplyTo(frame);
        return {{5, withBadCrc(good)}, {5, good}};
    };
    const Reply repaired = link.TxMessage("0100", "01", 100, 0);
    EXPECT_EQ(repaired.outcome, ExchangeOutcome::Accepted);
    EXPECT_EQ(repaired.text.size(), 21u);

    // Found by fuzzing: a short frame whose last four characters are the CRC of the rest has no
    // sequence field, which would read as 0 and answer request 0000.
    link.setSequenceNumber(0xFFFF);
    line->responder = [](const std::string&, int) -> std::vector<ReplyChunk> {
        return {{5, AppendCRC("%0020") + "\r"}};
    };
    EXPECT_EQ(link.TxMessage("0100", "01", 100, 0).outcome, ExchangeOutcome::BadCrc);
    EXPECT_EQ(link.sequenceNumber(), 0u);

    line->responder = nullptr;
    EXPECT_EQ(link.TxMessage("0100", "01", 100, 2).outcome, ExchangeOutcome::TimedOut);

    line->stalled = true;
    EXPECT_EQ(link.TxMessage("0100", "01", 100, 0).outcome, ExchangeOutcome::WriteFailed);

    const ExchangeCounts& counts = link.counts();
    EXPECT_EQ(counts.of(ExchangeOutcome::Accepted), 2u);
    EXPECT_EQ(counts.of(ExchangeOutcome::NotAwaited), 1u);
    EXPECT_EQ(counts.of(ExchangeOutcome::BadCrc), 2u);
    EXPECT_EQ(counts.of(ExchangeOutcome::StaleSequence), 1u);
    EXPECT_EQ(counts.of(ExchangeOutcome::TimedOut), 3u); // every attempt of a retried exchange
    EXPECT_EQ(counts.of(ExchangeOutcome::WriteFailed), 1u);
    EXPECT_EQ(counts.of(ExchangeOutcome::PortError), 0u);
    link.resetCounts();
    EXPECT_EQ(link.counts().of(ExchangeOutcome::Accepted), 0u);
}
