// nexalo-fwgen: writes sample firmware files for the simulator, the demo and the tests.

#include "hexWriter.h"
#include "options.h"
#include "productFiles.h"
#include "srecWriter.h"

#include <filesystem>
#include <fstream>
#include <iostream>

namespace fs = std::filesystem;
using namespace fwgen;

namespace {

// A folder (or nothing) as OUTPUT means: name the file after the product.
std::optional<fs::path> outputPath(const Options& options, std::string& error) {
    const fs::path given = options.output.empty() ? fs::path(".") : fs::path(options.output);
    if (!fs::is_directory(given)) return given;
    if (!options.productId) {
        error = given.string() + " is a folder; name the file or give --product";
        return std::nullopt;
    }
    const auto name = fileNameForProduct(*options.productId, options.image.format);
    if (!name) {
        error = "product " + std::to_string(*options.productId) +
                " has no single file of this format; name the file";
        return std::nullopt;
    }
    return given / *name;
}

std::string fileText(const ImagePlan& plan, const std::vector<Segment>& image,
                     const std::string& moduleName) {
    switch (plan.format) {
    case FileFormat::Hex16:
        return writeIntelHex(image, false);
    case FileFormat::HexExtended:
        return writeIntelHex(image, true);
    case FileFormat::S28:
        return writeS28(image, moduleName);
    case FileFormat::S19:
        return writeS19(image, moduleName, kRemoteResetTarget);
    }
    return {};
}

int fail(const std::string& reason) {
    std::cerr << "nexalo-fwgen: " << reason << '\n';
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    const ParseResult parsed = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) return fail(parsed.error);
    const Options& options = *parsed.options;
    if (options.help) {
        std::cout << usageText();
        return 0;
    }
    std::string error;
    const auto path = outputPath(options, error);
    if (!path) return fail(error);

    const std::vector<Segment> image = buildImage(options.image);
    const std::string text = fileText(options.image, image, path->stem().string());
    std::ofstream out(*path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) return fail("cannot write " + path->string());
    return 0;
}
