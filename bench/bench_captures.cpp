// Captures: what recording costs a single-unit upgrade at 38400 baud (nexalo-cli with and
// without --capture, taken in turns against the simulator paced at the line rate), and how much
// faster "nexalo-cli replay" runs a whole-site capture of the demo network than the run it
// recorded. Every figure comes from the programs as a user runs them.

#include "benchSupport.h"
#include "simProcess.h"
#include "tests/support/sampleFiles.h"
#include "tests/support/workingFolder.h"

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr unsigned kBaud = 38400;
constexpr int kPairs = 3;

const char* kOneTerminal = R"({ "seed": 1, "controllers": [
  { "name": "c1", "la": "01", "fixedAddress": "10000001", "productId": 5, "version": "2.01",
    "terminals": [ { "name": "t1", "la": "01", "fixedAddress": "20000101", "productId": 3,
                     "version": "1.02" } ] } ] })";

// Runs nexalo-cli with arguments in the working folder, its output to /dev/null; the wall
// seconds it took, negative when it did not end with status expected.
double timedCli(std::vector<std::string> arguments, int expected = 0) {
    arguments.insert(arguments.begin(), "nexalo-cli");
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const double started = wallSeconds();
    pid_t child = -1;
    const int spawned =
        posix_spawn(&child, NEXALO_CLI_PATH, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    int status = 0;
    waitpid(child, &status, 0);
    const double took = wallSeconds() - started;
    return WIFEXITED(status) && WEXITSTATUS(status) == expected ? took : -1;
}

void captureCost(const WorkingFolder& folder) {
    std::ofstream(folder.file("one-terminal.json")) << kOneTerminal;
    SimProcess simulator(folder.path().string(), "COM1", "one-terminal.json", kBaud);
    if (!simulator.serving()) return;
    const std::vector<std::string> upgrade = {"upgrade", "--unit-type", "terminal", "--controller",
                                              "01",      "--terminal",  "01",       "--force"};
    double off = 0, on = 0;
    for (int pair = 0; pair < kPairs; ++pair) {
        std::vector<std::string> captured = {"--capture", folder.file("upgrade.jsonl")};
        captured.insert(captured.end(), upgrade.begin(), upgrade.end());
        // In turns, so that a slow moment of the machine falls on both alike.
        const double without = timedCli(upgrade);
        const double with = timedCli(captured);
        std::printf("pair %d: without %.3f s, with --capture %.3f s\n", pair + 1, without, with);
        if (without <= 0 || with <= 0) return;
        off += without;
        on += with;
    }
    reportRatio("single-unit upgrade at 38400, capture on / off", on / off, "<= 1.01");
}

void replaySpeed(const WorkingFolder& folder) {
    double recorded = 0;
    {
        SimProcess simulator(folder.path().string(), "COM1", NEXALO_DEMO_NETWORK, kBaud);
        if (!simulator.serving()) return;
        recorded = timedCli({"--capture", folder.file("site.jsonl"), "site"});
    }
    const double replayed = timedCli({"replay", folder.file("site.jsonl")});
    std::printf("whole site at 38400: recorded run %.3f s, replay --fast %.3f s\n", recorded,
                replayed);
    if (recorded <= 0 || replayed <= 0) return;
    reportRatio("whole-site capture: recorded run / replay", recorded / replayed, ">= 20");
}

} // namespace

int main() {
    WorkingFolder folder;
    testkit::copySampleFiles(NEXALO_FW_SAMPLES_DIR, folder.path());
    std::printf("Captures: their cost, and the replay's speed (simulator paced at %u baud)\n",
                kBaud);
    captureCost(folder);
    replaySpeed(folder);
    return 0;
}
