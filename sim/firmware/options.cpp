#include "options.h"

#include <charconv>
#include <limits>

namespace fwgen {

namespace {

template <typename T> std::optional<T> parseNumber(const std::string& text) {
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<FileFormat> parseFormat(const std::string& text) {
    if (text == "hex") return FileFormat::Hex16;
    if (text == "hex-ela") return FileFormat::HexExtended;
    if (text == "s28") return FileFormat::S28;
    if (text == "s19") return FileFormat::S19;
    return std::nullopt;
}

bool parseVersion(const std::string& text, ImagePlan& plan) {
    const auto dot = text.find('.');
    if (dot == std::string::npos) return false;
    const auto major = parseNumber<unsigned>(text.substr(0, dot));
    const auto minor = parseNumber<unsigned>(text.substr(dot + 1));
    if (!major || !minor || *major > 255 || *minor > 255) return false;
    plan.major = static_cast<std::uint8_t>(*major);
    plan.minor = static_cast<std::uint8_t>(*minor);
    return true;
}

struct Parser {
    Options options;
    bool haveFormat = false, haveVersion = false, haveSize = false, haveSeed = false;

    std::string take(const std::string& name, const std::string& value) {
        ImagePlan& plan = options.image;
        if (name == "--format") {
            const auto format = parseFormat(value);
            if (!format) return "unknown format '" + value + "' (hex, hex-ela, s28 or s19)";
            plan.format = *format;
            haveFormat = true;
        } else if (name == "--version") {
            if (!parseVersion(value, plan)) return "version must be MAJOR.MINOR, each 0 to 255";
            haveVersion = true;
        } else if (name == "--size") {
            const auto size = parseNumber<std::uint32_t>(value);
            if (!size || *size == 0) return "size must be a positive number of bytes";
            plan.size = *size;
            haveSize = true;
        } else if (name == "--seed") {
            const auto seed = parseNumber<std::uint64_t>(value);
            if (!seed) return "seed must be a number";
            plan.seed = *seed;
            haveSeed = true;
        } else if (name == "--product") {
            const auto id = parseNumber<int>(value);
            if (!id || *id < 0 || *id > 255) return "product ID must be 0 to 255";
            options.productId = *id;
        } else {
            return "unknown option " + name;
        }
        return {};
    }

    std::string finish() {
        if (!haveFormat) return "--format is required";
        if (!haveVersion) return "--version is required";
        ImagePlan& plan = options.image;
        const Layout& layout = layoutOf(plan.format);
        if (!haveSize) plan.size = layout.defaultSize;
        if (plan.size > layout.capacity())
            return "size " + std::to_string(plan.size) + " exceeds the " +
                   std::to_string(layout.capacity()) + " bytes this format's windows hold";
        if (!haveSeed && options.productId)
            plan.seed = static_cast<std::uint64_t>(*options.productId);
        if (options.output.empty() && !options.productId) return "OUTPUT is required";
        return {};
    }
};

} // namespace

ParseResult parseOptions(const std::vector<std::string>& args) {
    Parser parser;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            parser.options.help = true;
            return {parser.options, {}};
        }
        if (arg.starts_with("--")) {
            if (i + 1 >= args.size()) return {std::nullopt, arg + " needs a value"};
            if (auto error = parser.take(arg, args[++i]); !error.empty())
                return {std::nullopt, error};
        } else if (parser.options.output.empty()) {
            parser.options.output = arg;
        } else {
            return {std::nullopt, "more than one OUTPUT given"};
        }
    }
    if (auto error = parser.finish(); !error.empty()) return {std::nullopt, error};
    return {parser.options, {}};
}

std::string usageText() {
    return "usage: nexalo-fwgen --format hex|hex-ela|s28|s19 --version MAJOR.MINOR\n"
           "                    [--size BYTES] [--seed N] [--product ID] OUTPUT\n"
           "\n"
           "Writes a firmware file holding a reproducible pseudo-random application image\n"
           "of BYTES bytes and the version bytes where the upgrade tool reads them.\n"
           "  hex      Intel HEX, 16-bit addresses, image from 0x4000, version at 0xFBFC\n"
           "  hex-ela  Intel HEX with extended linear addresses, image from 0xFE2000,\n"
           "           version at 0xFFFBFC\n"
           "  s28      S2 records, image from 0xFC4000, version at 0xFF9F00\n"
           "  s19      remote image, S1 records, application from 0xE300, version at 0xFDFE,\n"
           "           vectors at 0xFFDC with the reset vector 0xE000\n"
           "The seed defaults to the product ID, else 1. With --product, OUTPUT may be a\n"
           "folder (or left out for the working folder): the file then takes the name the\n"
           "tool looks for for that product.\n";
}

} // namespace fwgen
