#include "captureSetup.h"
#include "commands.h"
#include "entry.h"
#include "link/captureFile.h"
#include "platform/servedReplay.h"
#include "sessionClock.h"
#include "trust/folderFirmware.h"
#include "workFolder.h"

#include <iostream>
#include <map>
#include <memory>

namespace {

constexpr char kCaptureOfReplay[] = "replayed.jsonl";

struct ReplayOptions {
    std::string capturePath;
    std::string at; // a replay already served there
};

// The recorded firmware files that the working folder does not hold as they were: said before
// the run, which goes on with what is there.
void sayFirmwareChanges(const capture::Header& header) {
    std::map<std::string, std::string> here;
    for (const capture::FirmwareFile& file : FolderFirmwareDigests())
        here[file.name] = file.sha256;
    for (const capture::FirmwareFile& recorded : header.firmware) {
        const auto found = here.find(recorded.name);
        if (found == here.end())
            std::cout << "Replay: " << recorded.name << " is not in the working folder\n";
        else if (found->second != recorded.sha256)
            std::cout << "Replay: " << recorded.name << " is not the recorded file (SHA-256 "
                      << found->second << ", recorded " << recorded.sha256 << ")\n";
    }
}

std::string endText(const std::optional<Outcome>& ended, bool hasEnd) {
    if (!hasEnd) return "no end (the run was cut)";
    return ended ? ended->describe() : "no outcome told";
}

// The recorded waits for a reply in order, true for one that ended on its time-out.
std::vector<bool> timedOutWaits(const capture::Capture& recording) {
    std::vector<bool> waits;
    for (const capture::Record& record : recording.records) {
        if (record.event == capture::Event::Timeout) waits.push_back(true);
        // A wait that read only damaged or stale frames ended on its time-out too; one that ended
        // on a lost line did not, and the replay cuts its line there.
        if (record.event == capture::Event::Reply)
            waits.push_back(record.outcome == ExchangeOutcome::BadCrc ||
                            record.outcome == ExchangeOutcome::StaleSequence);
    }
    return waits;
}

// The recorded command on port, recorded into replayPath, with the recorded line options.
std::vector<std::string> replayCommandLine(const capture::Header& header, const std::string& port,
                                           const std::string& replayPath) {
    std::vector<std::string> line = {"nexalo-cli",
                                     "--port",
                                     port,
                                     "--baud",
                                     std::to_string(header.baud),
                                     "--min-timeout",
                                     std::to_string(header.minTimeoutMs),
                                     "--extra-attempts",
                                     std::to_string(header.extraAttempts),
                                     "--capture",
                                     replayPath};
    line.insert(line.end(), header.arguments.begin(), header.arguments.end());
    return line;
}

// The verdict: reproduced when nothing diverged and the replay sent as many requests and ended
// as the recording did.
int judge(const capture::Capture& recorded, const capture::Read& replayed,
          const std::optional<std::string>& divergence) {
    if (divergence) {
        std::cout << "Not reproduced: " << *divergence << "\n";
        return kExitFailed;
    }
    if (!replayed.capture) {
        std::cout << "Not reproduced: the replay's own record cannot be read (" << replayed.error
                  << ")\n";
        return kExitFailed;
    }
    const capture::Capture& replay = *replayed.capture;
    const std::size_t requests = recorded.requestCount();
    const bool sameEnd =
        recorded.ended() == replay.ended() && recorded.endedWith() == replay.endedWith();
    if (requests == replay.requestCount() && sameEnd) {
        std::cout << "Reproduced: the same " << requests << " requests, the same outcome ("
                  << endText(recorded.endedWith(), recorded.ended()) << ").\n";
        return kExitDone;
    }
    std::cout << "Not reproduced: the recording has " << requests << " requests ending "
              << endText(recorded.endedWith(), recorded.ended()) << "; the replay sent "
              << replay.requestCount() << " ending " << endText(replay.endedWith(), replay.ended())
              << ".\n";
    return kExitFailed;
}

int runReplay(const ReplayOptions& options) {
    const capture::Read read = capture::readCapture(options.capturePath);
    if (!read.capture) {
        std::cerr << "nexalo-cli: " << read.error << "\n";
        return kExitUsage;
    }
    for (const std::string& note : read.capture->notes)
        std::cout << "Replay: " << note << "\n";
    const capture::Header& header = read.capture->header;
    if (header.arguments.empty()) {
        std::cerr << "nexalo-cli: " << options.capturePath << " records no command (operation \""
                  << header.operation << "\"): serve it with nexalo-sim --replay instead\n";
        return kExitUsage;
    }
    sayFirmwareChanges(header);
    // The run works in a folder of its own holding the working folder's firmware and trust, so
    // that its history records and reports land there, not among the site's.
    WorkFolder folder;
    std::string error;
    if (!folder.make(error)) {
        std::cerr << "nexalo-cli: " << error << "\n";
        return kExitFailed;
    }
    const std::string capturePath = absolutePath(options.capturePath);
    ServedReplay served;
    std::string port = options.at;
    if (port.empty()) {
        if (!served.start(capturePath, folder.path(), error)) {
            std::cerr << "nexalo-cli: " << error << "\n";
            return kExitFailed;
        }
        port = served.port();
    }
    const std::string replayPath = folder.file(kCaptureOfReplay);
    folder.enter();
    fastForwardSessions(timedOutWaits(*read.capture));
    runArguments(replayCommandLine(header, port, replayPath));
    folder.leave();
    const std::optional<std::string> divergence = served.stop();
    return judge(*read.capture, capture::readCapture(replayPath), divergence);
}

} // namespace

// "replay FILE": the recorded operation with its recorded options against a replay of the
// capture. Exit 0 reproduced, 1 not, 2 a file that is not a capture.
CommandAction setUpReplay(CLI::App& command) {
    auto options = std::make_shared<ReplayOptions>();
    command.add_option("FILE", options->capturePath, "a capture written with --capture")
        ->required();
    command.add_option("--at", options->at,
                       "a replay already served there (nexalo-sim --replay FILE --listen "
                       "tcp:PORT) instead of one started here");
    return [options](CliContext&) { return runReplay(*options); };
}
