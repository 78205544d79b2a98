#pragma once
// Captures written by hand for the tests of the reader and the replay: a header and records as
// the writer lays them out, with frames whose CRCs are right.

#include "link/capture.h"
#include "link/crc.h"

#include <nlohmann/json.hpp>

#include <string>

namespace capturetest {

// One controller with one terminal whose erase always fails with error 05.
inline constexpr char kEraseError[] = R"({ "seed": 3, "controllers": [
  { "name": "c1", "la": "01", "fixedAddress": "10000001", "productId": 5, "version": "2.01",
    "terminals": [ { "name": "t1", "la": "01", "fixedAddress": "20000101", "productId": 3,
                     "version": "1.02",
                     "faults": { "eraseFault": { "sector": 1, "code": 5, "always": true } } } ]
  } ] })";

inline std::string header() {
    capture::Header header;
    header.tool = "nexalo-cli test";
    header.port = "COM1";
    header.operation = "upgrade";
    header.arguments = {"upgrade"};
    header.started = "2026-12-10T05:00:00Z";
    return capture::headerLine(header) + "\n";
}

inline std::string requestFrame(const std::string& address, const std::string& sequence,
                                const std::string& command) {
    return AppendCRC("@010000" + address + sequence + command) + "\r";
}

// A unit's reply: "%" and ten characters of header, the sequence number, data, CRC.
inline std::string replyFrame(const std::string& sequence, const std::string& data = "00") {
    return AppendCRC("%0000010101" + sequence + data) + "\r";
}

inline std::string hex(const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char byte : bytes) {
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 15]);
    }
    return text;
}

inline std::string request(std::uint64_t t, const std::string& frame) {
    return nlohmann::json{{"t", t}, {"event", "request"}, {"frame", frame}}.dump() + "\n";
}

inline std::string reply(std::uint64_t t, const std::string& bytes,
                         const std::string& outcome = "accepted") {
    return nlohmann::json{{"t", t}, {"event", "reply"}, {"hex", hex(bytes)}, {"outcome", outcome}}
               .dump() +
           "\n";
}

inline std::string timeout(std::uint64_t t) {
    return nlohmann::json{{"t", t}, {"event", "timeout"}, {"ms", 500}}.dump() + "\n";
}

} // namespace capturetest
