#include "link/operation.h"
#include "tempFolder.h"
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
    TempWorkingFolder folder;
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
    link.detectLogging();
    OperationGate gate(link);
    bool reachedEnd = false;
    EXPECT_FALSE(gate.run([&] {
        send("01", 20);
        reachedEnd = true;
    }));
    EXPECT_FALSE(reachedEnd);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(gate.busy());
    ASSERT_EQ(console.messages.size(), 1u);
    EXPECT_EQ(console.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(console.messages[0].text, std::strerror(EISDIR));

    std::filesystem::remove(Transaction::kCommsLogName);
    EXPECT_TRUE(gate.run([&] {
        PortSession session(link);
        EXPECT_EQ(send("01", 20), "");
    }));
    EXPECT_TRUE(std::filesystem::exists(Transaction::kCommsLogName)); // logging goes on
}

TEST_F(CommsLog, TheGateRefusesASecondOperationWhileOneRuns) {
    OperationGate gate(link);
    bool innerRan = false;
    EXPECT_TRUE(gate.run([&] {
        EXPECT_TRUE(gate.busy());
        EXPECT_FALSE(gate.run([&] { innerRan = true; }));
    }));
    EXPECT_FALSE(innerRan);
    EXPECT_FALSE(gate.busy());
    EXPECT_FALSE(gate.run([] { throw std::out_of_range("bad position"); }));
    EXPECT_EQ(console.messages.back().text, "bad position");
    EXPECT_FALSE(gate.busy());
}
