// nexalo-cli's captures as a user meets them, run as processes against the simulator over
// pseudo-terminals: one file a bus with several ports, capture show on a file that is not a
// capture, and replay reproducing a failure with a firmware file changed since.

#include "captureText.h"
#include "link/captureFile.h"
#include "tests/cli/runProcess.h"
#include "tests/support/sampleFiles.h"
#include "tests/support/simBus.h"
#include "tests/support/workingFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

ProcessResult cli(const std::vector<std::string>& args, const WorkingFolder& folder) {
    return runProcess(NEXALO_CLI_PATH, args, folder.path().string());
}

std::string lastLine(const std::string& text) {
    const std::size_t end = text.find_last_not_of('\n');
    if (end == std::string::npos) return {};
    const std::size_t start = text.rfind('\n', end);
    return text.substr(start == std::string::npos ? 0 : start + 1,
                       end - (start == std::string::npos ? 0 : start + 1) + 1);
}

TEST(CaptureCli, SeveralBusesWriteOneFileABusNamedAsTheCommsLogs) {
    WorkingFolder folder;
    sim::PtySimulator first(testkit::networkFrom(capturetest::kEraseError));
    sim::PtySimulator second(testkit::networkFrom(capturetest::kEraseError));
    ASSERT_TRUE(first.start(folder.file("COM1"))) << first.error();
    ASSERT_TRUE(second.start(folder.file("COM2"))) << second.error();
    const ProcessResult run =
        cli({"--port", "COM1", "--port", "COM2", "--capture", "visit.jsonl", "survey"}, folder);
    EXPECT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_FALSE(std::filesystem::exists(folder.file("visit.jsonl")));
    for (const char* port : {"COM1", "COM2"}) {
        const capture::Read read =
            capture::readCapture(folder.file(std::string("visit-") + port + ".jsonl"));
        ASSERT_TRUE(read.capture) << read.error;
        EXPECT_EQ(read.capture->header.port, port);
        EXPECT_EQ(read.capture->header.operation, "survey");
        EXPECT_EQ(read.capture->header.arguments, std::vector<std::string>{"survey"});
        EXPECT_GT(read.capture->requestCount(), 0u);
        EXPECT_TRUE(read.capture->ended());
    }
}

TEST(CaptureCli, ShowSaysWhatIsWrongWithItsLine) {
    WorkingFolder folder;
    std::ofstream(folder.file("notes.txt")) << "site visit, Tuesday\n";
    const ProcessResult wrong = cli({"capture", "show", "notes.txt"}, folder);
    EXPECT_EQ(wrong.exitStatus, 2);
    EXPECT_EQ(wrong.err, "nexalo-cli: notes.txt line 1: not JSON\n");
    EXPECT_EQ(wrong.out, "");
    const ProcessResult missing = cli({"capture", "show", "none.jsonl"}, folder);
    EXPECT_EQ(missing.exitStatus, 2);
    EXPECT_EQ(missing.err, "nexalo-cli: cannot read none.jsonl\n");
}

TEST(CaptureCli, ReplayReproducesAFailureAndSaysAChangedFileFirst) {
    WorkingFolder folder;
    testkit::copySampleFiles(NEXALO_FW_SAMPLES_DIR, folder.path());
    {
        sim::PtySimulator site(testkit::networkFrom(capturetest::kEraseError));
        ASSERT_TRUE(site.start(folder.file("COM1"))) << site.error();
        const ProcessResult recorded =
            cli({"upgrade", "--controller", "01", "--terminal", "01", "--capture", "visit.jsonl"},
                folder);
        EXPECT_EQ(recorded.exitStatus, 1) << recorded.out << recorded.err;
    }
    // Cut as a pulled cable leaves it: the last line torn.
    std::ofstream(folder.file("visit.jsonl"), std::ios::app) << "{\"t\":1,\"ev";
    std::ofstream(folder.file("Host-K2.hex"), std::ios::app) << "\n";
    const ProcessResult replay = cli({"replay", "visit.jsonl"}, folder);
    EXPECT_EQ(replay.exitStatus, 0) << replay.out << replay.err;
    EXPECT_EQ(replay.out.rfind("Replay: visit.jsonl line ", 0), 0u) << replay.out;
    EXPECT_NE(replay.out.find("\nReplay: Host-K2.hex is not the recorded file (SHA-256 "),
              std::string::npos)
        << replay.out;
    EXPECT_EQ(lastLine(replay.out),
              "Reproduced: the same 6 requests, the same outcome (failed: Erase Error 05).");
    // Nothing of the replayed run is left in the working folder.
    EXPECT_FALSE(std::filesystem::exists(folder.file("replayed.jsonl")));

    // The recording asked terminal 0101; a recording that says 0102 is not reproduced.
    std::ifstream in(folder.file("visit.jsonl"));
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t arguments = text.find("\"01\"]");
    ASSERT_NE(arguments, std::string::npos);
    text.replace(arguments, 5, "\"02\"]");
    std::ofstream(folder.file("other.jsonl")) << text;
    const ProcessResult other = cli({"replay", "other.jsonl"}, folder);
    EXPECT_EQ(other.exitStatus, 1);
    EXPECT_EQ(lastLine(other.out), "Not reproduced: request 2: recorded 0101 0A unit information, "
                                   "sent 0102 0A unit information")
        << other.out;
}

} // namespace
