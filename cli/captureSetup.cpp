#include "captureSetup.h"

#include "link/commsLog.h"
#include "trust/crypto.h"
#include "trust/history.h"
#include "trust/wholeFile.h"

#include <algorithm>
#include <filesystem>

#ifndef NEXALO_VERSION
#define NEXALO_VERSION "0"
#endif

namespace {

// The options of the line that take a value; a replay gives them from the header's fields.
constexpr const char* kLineOptions[] = {"--port",           "--baud",        "--min-timeout",
                                        "--extra-attempts", "--trusted-key", "--capture"};
constexpr const char* kFirmwareExtensions[] = {".hex", ".s28", ".s19"};
// Larger than any unit's flash as text.
constexpr std::size_t kLargestFirmwareFile = 64u << 20;

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

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
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

std::vector<capture::FirmwareFile> folderFirmware() {
    std::vector<capture::FirmwareFile> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(".", error)) {
        const std::string extension = lowerCase(entry.path().extension().string());
        if (std::find(std::begin(kFirmwareExtensions), std::end(kFirmwareExtensions), extension) ==
            std::end(kFirmwareExtensions))
            continue;
        const std::string name = entry.path().filename().string();
        const WholeFile file = ReadWholeFile(name, kLargestFirmwareFile);
        if (file.read()) files.push_back({name, LowerHex(Sha256Of(file.bytes))});
    }
    std::sort(files.begin(), files.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    return files;
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
    header.firmware = folderFirmware();
    header.started = HistoryTimeNow();
    session.startCapture(captureFileFor(options, port), header);
    session.capture()->operationStart(header.operation);
}
