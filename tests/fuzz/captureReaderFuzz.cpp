// Feeds arbitrary bytes to the capture reader as a file from a site would hold them. A capture
// that reads must be described record by record, and replayed against its own requests without
// a divergence; one that does not read must say so with a line.

#include "fuzzChecks.h"
#include "link/captureFile.h"
#include "link/captureTrace.h"
#include "sim/replayScript.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const capture::Read read = capture::readCaptureText(std::string(AsText(data, size)), "f");
    Require(read.capture.has_value() == read.error.empty());
    if (!read.capture) {
        Require(read.error.rfind("f line ", 0) == 0 || read.error == "f: empty, not a capture");
        return 0;
    }
    capture::headerText(read.capture->header);
    for (const capture::Record& record : read.capture->records)
        Require(!capture::traceLine(record).empty());
    // Its own requests, in order, are what it recorded: each one matches.
    sim::ReplayScript script(*read.capture, true);
    for (const capture::Record& record : read.capture->records)
        if (record.event == capture::Event::Request) {
            const auto replies = script.answer(record.frame);
            if (replies)
                for (const sim::OutgoingReply& reply : *replies)
                    Require(reply.delayMs == 0);
        }
    const bool requestsAreFrames = [&] {
        for (const capture::Record& record : read.capture->records)
            if (record.event == capture::Event::Request && !capture::splitRequest(record.frame))
                return false;
        return true;
    }();
    if (requestsAreFrames) Require(!script.divergence());
    return 0;
}
