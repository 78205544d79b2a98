// A request of a search in virtual time: with extra attempts, silence ends it at once, while a
// reply that came damaged (a bad CRC, cut short) is repeated at once; without extra attempts
// silence has its retries as any request's.

#include "link/addressSearch.h"
#include "link/catalogue.h"
#include "virtualFixture.h"

namespace {

class UntilSilent : public TransactionInVirtualTime {
protected:
    Reply search() { return link.TxUntilSilent("0100", cmd::StatusPoll, tr::DiscoveryScanPoll); }
    // The first `spoiled` requests get what spoil makes of their reply, the rest a good one.
    void spoilFirst(int spoiled, std::function<std::string(const std::string&)> spoil) {
        line->responder = [spoiled, spoil](const std::string& frame,
                                           int index) -> std::vector<ReplyChunk> {
            const std::string good = PtyPeer::statusReplyTo(frame);
            if (index >= spoiled) return {{5, good}};
            const std::string bad = spoil(good);
            if (bad.empty()) return {};
            return {{5, bad}};
        };
    }
};

TEST_F(UntilSilent, WithExtraAttemptsSilenceEndsTheRequestAtOnce) {
    link.setExtraAttempts(3);
    spoilFirst(1, [](const std::string&) { return std::string(); });
    const Reply reply = search();
    EXPECT_TRUE(reply.empty());
    EXPECT_EQ(reply.outcome, ExchangeOutcome::TimedOut);
    EXPECT_FALSE(reply.damaged());
    EXPECT_EQ(line->frames.size(), 1u);
    EXPECT_EQ(reply.sendings, 1u);
}

// The search over such requests: without extra attempts a silent address has its retry at once;
// with them it is asked again after the pass, and heard there.
TEST_F(UntilSilent, ASearchAsksASilentAddressAgainAtOnceOnlyWithoutExtraAttempts) {
    std::vector<int> heard;
    const AddressSearch::Heard hear = [&](int key, const std::string&, const Reply&) {
        heard.push_back(key);
    };
    spoilFirst(1, [](const std::string&) { return std::string(); });
    AddressSearch plain(link, cmd::StatusPoll, tr::DiscoveryScanPoll);
    EXPECT_EQ(plain.ask(1, "0100", hear).sendings, 2u);
    EXPECT_EQ(heard, std::vector<int>{1});
    plain.repeatSilent([](int) { return false; }, hear);
    EXPECT_EQ(line->frames.size(), 2u);

    heard.clear();
    line->frames.clear();
    link.setExtraAttempts(3);
    spoilFirst(1,
               [](const std::string&) { return std::string(); }); // the cleared frames count from 0
    AddressSearch deferring(link, cmd::StatusPoll, tr::DiscoveryScanPoll);
    EXPECT_TRUE(deferring.ask(1, "0100", hear).empty());
    EXPECT_TRUE(heard.empty());
    EXPECT_EQ(line->frames.size(), 1u);
    deferring.repeatSilent([](int) { return false; }, hear);
    EXPECT_EQ(heard, std::vector<int>{1});
    EXPECT_EQ(line->frames.size(), 2u);
}

TEST_F(UntilSilent, ADamagedReplyIsRepeatedAtOnce) {
    link.setExtraAttempts(3);
    // A reply cut short: its start and no end.
    spoilFirst(2, [](const std::string& good) { return good.substr(0, good.size() / 2); });
    Reply reply = search();
    EXPECT_TRUE(reply.accepted());
    EXPECT_EQ(reply.sendings, 3u);
    // A CRC off by one, every time: repeated until the retries and extra attempts are spent.
    line->frames.clear();
    spoilFirst(100, [](std::string good) {
        good[good.size() - 2] = good[good.size() - 2] == '0' ? '1' : '0';
        return good;
    });
    reply = search();
    EXPECT_TRUE(reply.empty());
    EXPECT_TRUE(reply.damaged());
    EXPECT_EQ(line->frames.size(), 1u + tr::DiscoveryScanPoll.retries + 3u);
}

} // namespace
