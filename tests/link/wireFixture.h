#pragma once
// A transaction over a real pseudo-terminal to a scripted peer, on the real clock.

#include "link/linkSession.h"
#include "ptyPeer.h"
#include "tests/support/recordingConsole.h"

#include <chrono>
#include <gtest/gtest.h>

class TransactionOnPty : public ::testing::Test {
protected:
    TransactionOnPty() {
        configureForTool(port);
        link.setWaitHook([this] { console.waited(); });
        port.setDevicePath(peer.devicePath());
    }
    void SetUp() override {
        peer.start();
        ASSERT_TRUE(port.OpenPort());
        port.SuspendPolling();
    }
    void answerWith(PtyPeer::Responder responder) { peer.setResponder(std::move(responder)); }

    // Sends and returns the reply; elapsedMs gets the time the call took.
    std::string send(const std::string& command, std::uint16_t timeout, std::uint16_t retries = 0) {
        const auto started = std::chrono::steady_clock::now();
        std::string reply;
        reply = link.TxMessage("0100", command, timeout, retries).text;
        elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - started)
                        .count();
        return reply;
    }

    static std::string withoutEnd(const std::string& frame) {
        return frame.substr(0, frame.size() - 1);
    }

    PtyPeer peer;
    RecordingConsole console;
    LinkSession session{console};
    TSerialPort& port = session.port();
    Transaction& link = session.link();
    long elapsedMs = 0;
};
