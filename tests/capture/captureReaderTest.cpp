// The capture reader on what a file from a site can hold: damage is said with its line, a torn
// last line is passed over with a note, and nothing crashes.

#include "captureText.h"
#include "link/captureFile.h"
#include "link/captureTrace.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace capturetest;

const std::string kRequest = requestFrame("0101", "0000", "01");

capture::Read readText(const std::string& text) {
    return capture::readCaptureText(text, "site.jsonl");
}

TEST(CaptureReader, DamageIsSaidWithItsLine) {
    const std::string body = header() + request(10, kRequest);
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {body + "{\"t\": 5, \"event\": \n" + timeout(20), "site.jsonl line 3: not JSON"},
        {body + "{\"t\":5,\"event\":\"reply\",\"hex\":\"25ZZ\",\"outcome\":\"accepted\"}\n",
         "site.jsonl line 3: reply bytes are not hex"},
        {body + "{\"t\":5,\"event\":\"reply\",\"hex\":\"253\",\"outcome\":\"accepted\"}\n",
         "site.jsonl line 3: reply bytes are not hex (an odd number of digits)"},
        {body + "{\"t\":5,\"event\":\"reply\",\"hex\":\"25\",\"outcome\":\"lost\"}\n",
         "site.jsonl line 3: unknown reply outcome \"lost\""},
        {body + "{\"t\":-5,\"event\":\"timeout\",\"ms\":1}\n",
         "site.jsonl line 3: \"t\" is not a whole number"},
        {body + "{\"t\":5,\"event\":\"jump\"}\n", "site.jsonl line 3: unknown event \"jump\""},
        {body + "[1,2]\n", "site.jsonl line 3: not a record (not an object)"},
        {"{\"capture\":2,\"tool\":\"x\"}\n" + request(10, kRequest),
         "site.jsonl line 1: capture format 2 is newer than this tool reads (1)"},
        {"{\"t\":5}\n", "site.jsonl line 1: not a capture (its first line has no \"capture\")"},
        {"", "site.jsonl: empty, not a capture"},
        // A torn line that is not the last is damage, not a cut.
        {body + "{\"t\":5,\"ev\n" + timeout(30), "site.jsonl line 3: not JSON"},
        {body + std::string(capture::kMaxLineBytes + 10, ' ') + "\n",
         "site.jsonl line 3: longer than any capture line"},
    };
    for (const auto& wrong : cases) {
        const capture::Read read = readText(wrong.text);
        EXPECT_FALSE(read.capture) << wrong.error;
        EXPECT_EQ(read.error, wrong.error);
    }
}

TEST(CaptureReader, ATornLastLineIsSkippedWithANoteAndTheRestHolds) {
    const std::string text = header() + request(10, kRequest) + reply(20, replyFrame("0000")) +
                             "{\"t\":30,\"event\":\"requ";
    const capture::Read read = readText(text);
    ASSERT_TRUE(read.capture) << read.error;
    ASSERT_EQ(read.capture->records.size(), 2u);
    EXPECT_EQ(read.capture->records[1].bytes, replyFrame("0000"));
    EXPECT_EQ(read.capture->records[1].line, 3u);
    EXPECT_EQ(read.capture->notes,
              std::vector<std::string>{"site.jsonl line 4: a torn last line was skipped"});
    EXPECT_FALSE(read.capture->ended());
    EXPECT_EQ(read.capture->requestCount(), 1u);
}

TEST(CaptureReader, GarbageIsRefusedAtItsFirstLine) {
    std::mt19937 dice(11);
    std::string garbage(4 << 20, '\0');
    for (char& byte : garbage)
        byte = static_cast<char>(dice());
    const capture::Read read = readText(garbage);
    EXPECT_FALSE(read.capture);
    EXPECT_EQ(read.error.rfind("site.jsonl line 1: ", 0), 0u) << read.error;
}

TEST(CaptureTrace, NamesTheCommandAndTheFieldsTheCatalogueKnows) {
    EXPECT_EQ(capture::describeRequest(requestFrame("0101", "0005", "E300000400008011")),
              "0101 E3 page 0x0400 (128 bytes)");
    EXPECT_EQ(capture::describeRequest(requestFrame("0101", "0005", "E27F")),
              "0101 E2 erase sectors 0x7F");
    EXPECT_EQ(capture::describeRequest(requestFrame("FF00", "0000", "9B00")),
              "FF00 9B00 upgrade run start");
    EXPECT_EQ(capture::describeRequest(requestFrame("0103", "0001", "3E00000")),
              "0103 3E00000 remote close");
    EXPECT_EQ(capture::describeRequest(requestFrame("0100", "0001", "032000010100")),
              "0100 03 acknowledge 20000101");
    // Not a request: shown as it is, control characters spelled out.
    EXPECT_EQ(capture::describeRequest("%01\x01\r"), "%01\\x01\\r");
}

} // namespace
