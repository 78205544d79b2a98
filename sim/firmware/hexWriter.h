#pragma once
// Intel HEX text of a generated image.

#include "imageContent.h"

#include <string>
#include <vector>

namespace fwgen {

// With extended set, an extended linear address record goes before the first data record of
// every 64 KiB bank; without it every address must lie below 0x10000.
std::string writeIntelHex(const std::vector<Segment>& segments, bool extended);

} // namespace fwgen
