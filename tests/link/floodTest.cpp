#include "link/linkSession.h"
#include "link/transaction.h"
#include "ptyPeer.h"
#include "tests/support/recordingConsole.h"

#include <gtest/gtest.h>

// Broadcast pages go out without waiting; the purge before the next request must never cut
// off a frame that was already written whole.
TEST(FramesInFlight, EveryFireAndForgetFrameReachesThePeer) {
    constexpr int kPages = 2000;
    PtyPeer peer;
    peer.setResponder([](const std::string& frame, int) -> std::vector<ReplyChunk> {
        if (frame.substr(15, 2) != "01") return {};
        return {{0, PtyPeer::statusReplyTo(frame)}};
    });
    peer.start();
    RecordingConsole console;
    LinkSession session(console);
    TSerialPort& port = session.port();
    Transaction& link = session.link();
    configureForTool(port);
    port.setDevicePath(peer.devicePath());
    ASSERT_TRUE(port.OpenPort());

    const std::string page = "E3" + std::string(270, '5');
    std::string reply;
    for (int i = 0; i < kPages; ++i)
        reply = link.TxMessage("FF00", page, 0, 0).text;
    reply = link.TxMessage("0100", "01", 2000, 0).text;
    EXPECT_EQ(reply.size(), 21u);

    ASSERT_TRUE(peer.waitForFrames(kPages + 1, 5000));
    const auto frames = peer.frames();
    ASSERT_EQ(frames.size(), static_cast<std::size_t>(kPages + 1));
    for (int i = 0; i < kPages; ++i) {
        const std::string& frame = frames[static_cast<std::size_t>(i)];
        ASSERT_EQ(frame.size(), 15 + page.size() + 5) << "frame " << i;
        EXPECT_EQ(HexToWord(frame.substr(11, 4)), static_cast<std::uint32_t>(i)) << "frame " << i;
        EXPECT_EQ(AppendCRC(frame.substr(0, frame.size() - 5)) + "\r", frame) << "frame " << i;
    }
}
