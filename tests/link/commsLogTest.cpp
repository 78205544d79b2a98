#include "link/linkSession.h"
#include "link/operation.h"
#include "tests/support/workingFolder.h"
#include "wireFixture.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string fileContent(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

class CommsLog : public TransactionOnPty {
protected:
    WorkingFolder folder;
};

} // namespace

TEST_F(CommsLog, RecordsEveryFrameAsALineExactlyAsSentAndAccepted) {
    std::ofstream(Transaction::kCommsLogName).close();
    link.detectLogging();
    ASSERT_TRUE(link.logging());
    std::string answered;
    answerWith([&](const std::string& frame, int index) -> std::vector<ReplyChunk> {
        if (index != 1) return {};
        answered = PtyPeer::statusReplyTo(frame);
        return {{0, answered}};
    });
    send("01", 0);   // fire and forget: the request line only
    send("01", 200); // answered
    send("01", 30);  // no answer: an empty reply line
    const auto frames = peer.frames();
    ASSERT_EQ(frames.size(), 3u);
    const std::string expected = frames[0] + "\r\n" + frames[1] + "\r\n" + withoutEnd(answered) +
                                 "\r\n" + frames[2] + "\r\n" + "\r\n";
    EXPECT_EQ(fileContent(Transaction::kCommsLogName), expected);
}

TEST_F(CommsLog, StaysOffWithoutTheFileAndCreatesNothing) {
    link.detectLogging();
    EXPECT_FALSE(link.logging());
    send("01", 20);
    EXPECT_FALSE(std::filesystem::exists(Transaction::kCommsLogName));
}

TEST_F(CommsLog, AFailingLogEndsTheOperationWithTheErrorShownAndThePortClosed) {
    std::filesystem::create_directory(Transaction::kCommsLogName);
    port.ClosePort(); // the session's own port takes the line
    LinkSession session(console);
    configureForTool(session.port());
    session.port().setDevicePath(peer.devicePath());
    session.link().detectLogging();
    bool reachedEnd = false;
    EXPECT_EQ(session.run([&](OperationContext& run) {
        PortSession open(run.link);
        run.link.TxMessage("0100", "01", 20, 0);
        reachedEnd = true;
    }),
              Outcome::error(std::strerror(EISDIR)));
    EXPECT_FALSE(reachedEnd);
    EXPECT_FALSE(session.port().IsOpen());
    EXPECT_FALSE(session.busy());
    ASSERT_EQ(console.messages.size(), 1u);
    EXPECT_EQ(console.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(console.messages[0].text, std::strerror(EISDIR));

    std::filesystem::remove(Transaction::kCommsLogName);
    EXPECT_TRUE(session
                    .run([&](OperationContext& run) {
                        PortSession open(run.link);
                        EXPECT_EQ(run.link.TxMessage("0100", "01", 20, 0).text, "");
                    })
                    .succeeded());
    EXPECT_TRUE(std::filesystem::exists(Transaction::kCommsLogName)); // logging goes on
}

// One operation at a time on a bus, whether it runs on the caller's thread or the worker; a
// stray exception is shown, not thrown, and frees the session.
TEST_F(CommsLog, TheSessionRefusesASecondOperationWhileOneRuns) {
    LinkSession session(console);
    bool innerRan = false;
    EXPECT_TRUE(session
                    .run([&](OperationContext&) {
                        EXPECT_TRUE(session.busy());
                        EXPECT_EQ(session.run([&](OperationContext&) { innerRan = true; }).kind,
                                  OutcomeKind::Refused);
                        EXPECT_FALSE(session.start([&](OperationContext&) { innerRan = true; }));
                    })
                    .succeeded());
    EXPECT_FALSE(innerRan);
    EXPECT_FALSE(session.busy());
    EXPECT_TRUE(session.start([](OperationContext&) { throw std::out_of_range("bad position"); }));
    session.wait();
    EXPECT_EQ(console.messages.back().text, "bad position");
    EXPECT_FALSE(session.busy());
}
