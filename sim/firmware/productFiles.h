#pragma once
// The firmware file that the tool reads for a product, so that a sample can be named after
// the product it is meant for.

#include "imageContent.h"

#include <optional>
#include <string>

namespace fwgen {

// The file name for the product in files of the given format; nothing when the product has no
// such file or its file depends on the unit type (products 5 and 50).
std::optional<std::string> fileNameForProduct(int productId, FileFormat format);

} // namespace fwgen
