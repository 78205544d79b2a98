#include "globalOptions.h"

#include "commands.h"
#include "options.h"

#include <regex>

namespace {

constexpr int kHighestComPort = 16;
constexpr unsigned long kLongestMinimumTimeoutMs = 5000; // as the Extend Timeout dialog allows

struct OfferedSpeed {
    const char* text;
    TComPortBaudRate rate;
};
// The speeds of the window's Baud menu.
constexpr OfferedSpeed kOfferedSpeeds[] = {
    {"1200", br1200},   {"2400", br2400},   {"4800", br4800},  {"9600", br9600},
    {"19200", br19200}, {"38400", br38400}, {"57600", br57600}};

TComPortBaudRate parseSpeed(const std::string& text) {
    for (const OfferedSpeed& offered : kOfferedSpeeds)
        if (text == offered.text) return offered.rate;
    throw UsageError("--baud takes 1200, 2400, 4800, 9600, 19200, 38400 or 57600, not '" + text +
                     "'");
}

void parsePort(const std::string& text, GlobalOptions& options) {
    static const std::regex comName("COM([0-9]+)");
    std::smatch match;
    if (!std::regex_match(text, match, comName)) {
        if (text.empty()) throw UsageError("--port needs a value");
        options.devicePath = text;
        return;
    }
    const unsigned long number = parseNumber("--port COMn", match[1].str(), 1, kHighestComPort);
    options.comPort = static_cast<TComPortNumber>(number - 1);
}

const std::string& valueAfter(const std::vector<std::string>& args, std::size_t& i) {
    if (i + 1 >= args.size()) throw UsageError(args[i] + " needs a value");
    return args[++i];
}

} // namespace

GlobalOptions parseGlobalOptions(const std::vector<std::string>& args) {
    GlobalOptions options;
    std::size_t i = 0;
    for (; i < args.size() && args[i].rfind("--", 0) == 0; ++i) {
        const std::string& name = args[i];
        if (name == "--help")
            options.help = true;
        else if (name == "--port")
            parsePort(valueAfter(args, i), options);
        else if (name == "--baud")
            options.speed = parseSpeed(valueAfter(args, i));
        else if (name == "--min-timeout")
            options.minimumTimeoutMs = static_cast<std::uint16_t>(
                parseNumber(name, valueAfter(args, i), 0, kLongestMinimumTimeoutMs));
        else
            throw UsageError("unknown option '" + name + "'");
    }
    if (i < args.size()) {
        options.command = args[i];
        options.commandArgs.assign(args.begin() + static_cast<long>(i) + 1, args.end());
    }
    return options;
}

void applyPortOptions(const GlobalOptions& options, TSerialPort& port) {
    configureForTool(port);
    if (options.comPort) port.setComPort(*options.comPort);
    port.setDevicePath(options.devicePath);
    port.setComPortSpeed(options.speed);
}

std::string globalUsage() {
    std::string text =
        "usage: nexalo-cli [--port COMn|DEVICE] [--baud 1200|2400|4800|9600|19200|38400|57600]\n"
        "                  [--min-timeout MS] COMMAND [OPTIONS]\n"
        "\n"
        "  --port COMn|DEVICE  serial line: COMn is the entry COMn in the working folder if there\n"
        "                      is one, else /dev/ttyS{n-1}; anything else is a device path\n"
        "                      (default COM1)\n"
        "  --baud RATE         line speed (default 38400)\n"
        "  --min-timeout MS    minimum reply time-out, 0 to 5000 ms (default 0)\n"
        "  --help              this text; COMMAND --help describes a command\n"
        "\n"
        "A file qrmcomlog.txt in the working folder switches frame logging on.\n"
        "Exit status: 0 done, 1 failed, 2 usage error.\n"
        "\n"
        "commands:\n";
    for (const Command& command : commandTable())
        text += "  " + std::string(command.name) + " " + command.usage + "\n      " +
                command.summary + "\n";
    return text;
}
