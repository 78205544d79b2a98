// nexalo-sim: serves a simulated unit network on a pseudo-terminal, or on a TCP socket as a
// serial device server would, until it is ended.

#include "sim/networkFile.h"
#include "sim/ptySimulator.h"
#include "sim/replayServer.h"
#include "sim/tcpSimulator.h"

#include <charconv>
#include <csignal>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr char kUsage[] =
    "usage: nexalo-sim [--link COMn|PATH | --listen tcp:[HOST:]PORT] [--baud RATE]\n"
    "                  [--latency MS] NETWORK.json\n"
    "       nexalo-sim [--link COMn|PATH | --listen tcp:[HOST:]PORT] --replay CAPTURE\n"
    "                  [--fast] [--divergence FILE]\n"
    "  --link     symbolic link made to the device (default COM1 in the working folder)\n"
    "  --listen   serve raw bytes over TCP instead, one client at a time, on HOST (default\n"
    "             127.0.0.1) and PORT (0: any free port); prints the address to use\n"
    "  --baud     pace every sent byte at this line rate, 10 bits a character\n"
    "  --latency  fixed delay before every reply, in milliseconds\n"
    "  --replay   answer as the bus a capture (nexalo-cli --capture) recorded, request by\n"
    "             request, with its recorded delays; a request that does not match is a\n"
    "             divergence: answered with nothing and said on standard error\n"
    "  --fast     with --replay: every reply at once, without the recorded delays\n"
    "  --divergence  with --replay: also write the first divergence to FILE\n";

struct Listen {
    std::string host = "127.0.0.1";
    std::uint16_t port = 0;
};

struct Arguments {
    std::string link = "COM1";
    bool linkGiven = false;
    std::optional<Listen> listen;
    sim::PtyOptions options;
    std::string networkFile;
    std::string replayFile, divergenceFile;
    bool fast = false;
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

// "tcp:PORT" or "tcp:HOST:PORT".
std::optional<Listen> listenAddress(std::string_view text) {
    if (!text.starts_with("tcp:")) return std::nullopt;
    text.remove_prefix(4);
    Listen listen;
    if (std::size_t colon = text.rfind(':'); colon != std::string_view::npos) {
        listen.host = text.substr(0, colon);
        text.remove_prefix(colon + 1);
    }
    std::optional<std::uint32_t> port = number(text);
    if (!port || *port > 65535 || listen.host.empty()) return std::nullopt;
    listen.port = static_cast<std::uint16_t>(*port);
    return listen;
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
        if (arg == "--fast") {
            arguments.fast = true;
            continue;
        }
        if (arg == "--replay" || arg == "--divergence") {
            if (!hasValue) return usageError(std::string(arg) + " needs a value");
            (arg == "--replay" ? arguments.replayFile : arguments.divergenceFile) = argv[++i];
            continue;
        }
        if (arg == "--link" || arg == "--listen" || arg == "--baud" || arg == "--latency") {
            if (!hasValue) return usageError(std::string(arg) + " needs a value");
            std::string_view value = argv[++i];
            if (arg == "--link") {
                arguments.link = value;
                arguments.linkGiven = true;
                continue;
            }
            if (arg == "--listen") {
                arguments.listen = listenAddress(value);
                if (!arguments.listen)
                    return usageError("--listen takes tcp:PORT or tcp:HOST:PORT, not '" +
                                      std::string(value) + "'");
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
    if (!arguments.replayFile.empty() && !arguments.networkFile.empty())
        return usageError("--replay takes no network file");
    if (arguments.replayFile.empty() && (arguments.fast || !arguments.divergenceFile.empty()))
        return usageError("--fast and --divergence go with --replay");
    if (arguments.networkFile.empty() && arguments.replayFile.empty())
        return usageError("a network file is needed");
    if (arguments.listen && arguments.linkGiven)
        return usageError("--link and --listen cannot be used together");
    return std::nullopt;
}

// Prints where the network is served (the device or the address), then serves until
// SIGINT or SIGTERM.
template <typename Simulator>
int serveUntilEnded(Simulator& simulator, const std::optional<std::string>& where,
                    sigset_t& endSignals) {
    if (!where) {
        std::fprintf(stderr, "nexalo-sim: %s\n", simulator.error().c_str());
        return 1;
    }
    std::printf("%s\n", where->c_str());
    std::fflush(stdout);
    int received = 0;
    sigwait(&endSignals, &received);
    simulator.stop();
    return 0;
}

// The serving thread inherits the blocked signals; the calling thread waits for them.
sigset_t blockEndSignals() {
    sigset_t endSignals;
    sigemptyset(&endSignals);
    sigaddset(&endSignals, SIGINT);
    sigaddset(&endSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);
    return endSignals;
}

int serveReplay(const Arguments& arguments) {
    const capture::Read read = capture::readCapture(arguments.replayFile);
    if (!read.capture) {
        std::fprintf(stderr, "nexalo-sim: %s\n", read.error.c_str());
        return 1;
    }
    for (const std::string& note : read.capture->notes)
        std::fprintf(stderr, "nexalo-sim: %s\n", note.c_str());
    sim::ReplayServer replay(*read.capture, arguments.fast, arguments.divergenceFile);
    sigset_t endSignals = blockEndSignals();
    int status = 0;
    if (arguments.listen) {
        sim::TcpSimulator simulator(sim::Network{}, arguments.options);
        simulator.setFrameHandler(replay.handler());
        status = serveUntilEnded(
            simulator, simulator.start(arguments.listen->host, arguments.listen->port), endSignals);
    } else {
        sim::PtySimulator simulator(sim::Network{}, arguments.options);
        simulator.setFrameHandler(replay.handler());
        status = serveUntilEnded(simulator, simulator.start(arguments.link), endSignals);
    }
    std::fprintf(stderr, "nexalo-sim: %s\n", replay.summary().c_str());
    return status;
}

} // namespace

int main(int argc, char** argv) {
    Arguments arguments;
    if (std::optional<int> status = parseArguments(argc, argv, arguments)) return *status;

    if (!arguments.replayFile.empty()) return serveReplay(arguments);
    sim::NetworkLoad load = sim::loadNetworkFile(arguments.networkFile);
    if (!load.network) {
        std::fprintf(stderr, "nexalo-sim: %s\n", load.error.c_str());
        return 1;
    }

    sigset_t endSignals = blockEndSignals();

    if (arguments.listen) {
        sim::TcpSimulator simulator(std::move(*load.network), arguments.options);
        return serveUntilEnded(
            simulator, simulator.start(arguments.listen->host, arguments.listen->port), endSignals);
    }
    sim::PtySimulator simulator(std::move(*load.network), arguments.options);
    return serveUntilEnded(simulator, simulator.start(arguments.link), endSignals);
}
