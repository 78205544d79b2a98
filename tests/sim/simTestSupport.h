#pragma once
// Talking to a NetworkSimulator frame by frame, with requests built by the tool's own framing.

#include "link/silentConsole.h"
#include "link/transaction.h"
#include "sim/networkFile.h"
#include "sim/networkSimulator.h"
#include "tests/support/simBus.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace simtest {

inline std::string request(const std::string& address, const std::string& command,
                           std::uint16_t sequence = 0x0042) {
    char seq[5];
    std::snprintf(seq, sizeof seq, "%04X", sequence);
    return AppendCRC("@010000" + address + seq + command);
}

// Every reply frame sent for one request, each without its carriage return (as the
// transaction hands replies to its callers), noise and all.
inline std::vector<std::string> replyFrames(sim::NetworkSimulator& network,
                                            const std::string& address, const std::string& command,
                                            std::uint64_t nowMs = 0,
                                            std::uint16_t sequence = 0x0042) {
    std::vector<std::string> frames;
    for (const sim::OutgoingReply& reply :
         network.receiveFrame(request(address, command, sequence), nowMs)) {
        std::size_t start = 0;
        for (std::size_t end; (end = reply.bytes.find('\r', start)) != std::string::npos;
             start = end + 1)
            frames.push_back(reply.bytes.substr(start, end - start));
    }
    return frames;
}

// The one reply to a request; empty when there is none (a test failure when there are more).
inline std::string ask(sim::NetworkSimulator& network, const std::string& address,
                       const std::string& command, std::uint64_t nowMs = 0) {
    std::vector<std::string> frames = replyFrames(network, address, command, nowMs);
    EXPECT_LE(frames.size(), 1u) << "more than one reply to " << address << " " << command;
    return frames.empty() ? std::string() : frames.front();
}

using testkit::networkFrom;

// A small network used by several tests: one controller with two terminals (one of them with a
// remote behind it), a host interface and a terminal on the bus.
inline const char* kSmallNetwork = R"({
  "seed": 7,
  "host": { "position": "7F00", "fixedAddress": "00007F01", "productId": 18, "version": "1.05" },
  "controllers": [
    { "name": "c1", "la": "05", "fixedAddress": "0001A2B3", "productId": 5, "version": "010A",
      "secondVersion": "0203", "infoWord": "BEEF", "text": "CONTROLLER",
      "terminals": [
        { "name": "t1", "la": "12", "fixedAddress": "00C0FFEE", "productId": 3, "version": "1.02" },
        { "name": "r1", "la": "13", "fixedAddress": "00C0FFEF", "productId": 31,
          "version": "1.05", "remote": { "productId": 31, "version": "2.03" } }
      ] }
  ],
  "busTerminals": [
    { "name": "b1", "la": "07", "fixedAddress": "0000B007", "productId": 38, "version": "3.04" }
  ]
})";

} // namespace simtest
