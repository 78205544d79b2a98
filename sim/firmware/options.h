#pragma once
// The generator's command line.

#include "imageContent.h"

#include <optional>
#include <string>
#include <vector>

namespace fwgen {

struct Options {
    ImagePlan image;
    std::optional<int> productId;
    std::string output;
    bool help = false;
};

struct ParseResult {
    std::optional<Options> options;
    std::string error; // one line, when options is empty
};

ParseResult parseOptions(const std::vector<std::string>& args);

std::string usageText();

} // namespace fwgen
