// nexalo-sim: serves a simulated unit network on a pseudo-terminal until it is ended.

#include "sim/networkFile.h"
#include "sim/ptySimulator.h"

#include <charconv>
#include <csignal>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr char kUsage[] =
    "usage: nexalo-sim [--link COMn|PATH] [--baud RATE] [--latency MS] NETWORK.json\n"
    "  --link     symbolic link made to the device (default COM1 in the working folder)\n"
    "  --baud     pace every sent byte at this line rate, 10 bits a character\n"
    "  --latency  fixed delay before every reply, in milliseconds\n";

struct Arguments {
    std::string link = "COM1";
    sim::PtyOptions options;
    std::string networkFile;
};

std::optional<std::uint32_t> number(std::string_view text) {
    std::uint32_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

int usageError(const std::string& reason) {
    std::fprintf(stderr, "nexalo-sim: %s\n", reason.c_str());
    return 2;
}

// Fills arguments; returns an exit status when the program should end at once.
std::optional<int> parseArguments(int argc, char** argv, Arguments& arguments) {
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--link" || arg == "--baud" || arg == "--latency") {
            if (!hasValue) return usageError(std::string(arg) + " needs a value");
            std::string_view value = argv[++i];
            if (arg == "--link") {
                arguments.link = value;
                continue;
            }
            std::optional<std::uint32_t> n = number(value);
            if (!n || (arg == "--baud" && *n == 0))
                return usageError(std::string(arg) + " needs a positive whole number");
            (arg == "--baud" ? arguments.options.baud : arguments.options.latencyMs) = *n;
            continue;
        }
        if (arg.starts_with("-")) return usageError("unknown option " + std::string(arg));
        if (!arguments.networkFile.empty()) return usageError("only one network file");
        arguments.networkFile = arg;
    }
    if (arguments.networkFile.empty()) return usageError("a network file is needed");
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    Arguments arguments;
    if (std::optional<int> status = parseArguments(argc, argv, arguments)) return *status;

    sim::NetworkLoad load = sim::loadNetworkFile(arguments.networkFile);
    if (!load.network) {
        std::fprintf(stderr, "nexalo-sim: %s\n", load.error.c_str());
        return 1;
    }

    // The serving thread inherits the blocked signals; this thread waits for them.
    sigset_t endSignals;
    sigemptyset(&endSignals);
    sigaddset(&endSignals, SIGINT);
    sigaddset(&endSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);

    sim::PtySimulator simulator(std::move(*load.network), arguments.options);
    std::optional<std::string> device = simulator.start(arguments.link);
    if (!device) {
        std::fprintf(stderr, "nexalo-sim: %s\n", simulator.error().c_str());
        return 1;
    }
    std::printf("%s\n", device->c_str());
    std::fflush(stdout);

    int received = 0;
    sigwait(&endSignals, &received);
    simulator.stop();
    return 0;
}
