#include "captureSetup.h"

#include "link/commsLog.h"
#include "trust/folderFirmware.h"
#include "trust/history.h"

#include <algorithm>
#include <filesystem>

#ifndef NEXALO_VERSION
#define NEXALO_VERSION "0"
#endif

namespace {

// The options of the line that take a value; a replay gives them from the header's fields.
constexpr const char* kLineOptions[] = {"--port",           "--baud",        "--min-timeout",
                                        "--extra-attempts", "--trusted-key", "--capture"};

bool isLineOption(const std::string& argument, bool& takesNext) {
    for (const char* option : kLineOptions) {
        const std::string name = option;
        if (argument == name) {
            takesNext = true;
            return true;
        }
        if (argument.starts_with(name + "=")) return true;
    }
    return false;
}

} // namespace

std::vector<std::string> commandArguments(int argc, char** argv) {
    std::vector<std::string> kept;
    for (int i = 1; i < argc; ++i) {
        bool takesNext = false;
        if (isLineOption(argv[i], takesNext)) {
            i += takesNext ? 1 : 0;
            continue;
        }
        kept.emplace_back(argv[i]);
    }
    return kept;
}

std::string captureFileFor(const GlobalOptions& options, const std::string& port) {
    if (options.ports.size() <= 1) return options.captureFile;
    return commsLogNameFor(options.captureFile, port);
}

void startCaptureIfAsked(const GlobalOptions& options, const std::string& port,
                         LinkSession& session) {
    if (options.captureFile.empty()) return;
    capture::Header header;
    header.tool = std::string("nexalo-cli ") + NEXALO_VERSION;
    header.port = port;
    header.baud = static_cast<std::uint32_t>(std::stoul(options.speed));
    header.minTimeoutMs = options.minimumTimeoutMs;
    header.extraAttempts = options.extraAttempts;
    header.arguments = options.commandArguments;
    header.operation = options.commandName;
    header.firmware = FolderFirmwareDigests();
    header.started = HistoryTimeNow();
    session.startCapture(captureFileFor(options, port), header);
    session.capture()->operationStart(header.operation);
}
