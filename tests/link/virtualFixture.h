#pragma once
// The port on an in-memory line and the virtual clock: long waits take no real time.

#include "link/linkSession.h"
#include "scriptedBackend.h"
#include "tests/support/recordingConsole.h"

#include <gtest/gtest.h>

class TransactionInVirtualTime : public ::testing::Test {
protected:
    TransactionInVirtualTime()
        : line(new ScriptedBackend(clock)),
          session(console, clock, std::unique_ptr<SerialBackend>(line)), port(session.port()),
          link(session.link()) {
        configureForTool(port);
        link.setWaitHook([this] { console.waited(); });
    }
    void SetUp() override {
        ASSERT_TRUE(port.OpenPort());
        port.SuspendPolling();
    }

    std::string send(const std::string& command, std::uint16_t timeout, std::uint16_t retries = 0) {
        const std::uint64_t started = clock.nowMs();
        std::string reply;
        reply = link.TxMessage("0100", command, timeout, retries).text;
        elapsedMs = clock.nowMs() - started;
        return reply;
    }

    static ScriptedBackend::Responder answerAfter(int delayMs) {
        return [delayMs](const std::string& frame, int) -> std::vector<ReplyChunk> {
            return {{delayMs, PtyPeer::statusReplyTo(frame)}};
        };
    }

    VirtualClock clock;
    RecordingConsole console;
    ScriptedBackend* line; // owned by the session's port
    LinkSession session;
    TSerialPort& port;
    Transaction& link;
    std::uint64_t elapsedMs = 0;
};
