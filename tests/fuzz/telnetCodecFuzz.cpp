// Feeds arbitrary bytes from a device server to the Telnet / RFC 2217 decoder, cut into pieces
// where the first byte says: a device server on the LAN is outside the tool's trust. Whatever
// it sends, the line bytes that come out are at most what went in, and the same bytes decoded
// in one piece or in several give the same line bytes and answers.

#include "fuzzChecks.h"
#include "link/platform/network/telnetCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t piece = 1 + data[0] % 16;
    const std::uint8_t* wire = data + 1;
    const std::size_t count = size - 1;

    telnet::Codec whole;
    whole.opening();
    telnet::Bytes wholeData, wholeAnswer;
    whole.decode(wire, count, wholeData, wholeAnswer);
    Require(wholeData.size() <= count);

    telnet::Codec cut;
    cut.opening();
    telnet::Bytes cutData, cutAnswer;
    for (std::size_t at = 0; at < count; at += piece)
        cut.decode(wire + at, std::min(piece, count - at), cutData, cutAnswer);
    Require(cutData == wholeData);
    Require(cutAnswer == wholeAnswer);
    Require(cut.comPort() == whole.comPort());
    Require(cut.modemState() == whole.modemState());
    // Line bytes escaped for the wire and decoded again are the same bytes.
    telnet::Bytes escaped;
    telnet::appendEscaped(wholeData.data(), wholeData.size(), escaped);
    telnet::Codec again;
    telnet::Bytes back, answer;
    again.decode(escaped.data(), escaped.size(), back, answer);
    Require(back == wholeData);
    return 0;
}
