#pragma once
// Motorola S-record text of a generated image: S2 application files and S1 remote images.

#include "imageContent.h"

#include <string>
#include <vector>

namespace fwgen {

// S0 header naming the module (the file name without extension), S2 records, and the end record
// "S804000000FB".
std::string writeS28(const std::vector<Segment>& segments, const std::string& moduleName);

// S0 header, S1 records, and an S9 record carrying the entry address.
std::string writeS19(const std::vector<Segment>& segments, const std::string& moduleName,
                     std::uint16_t entry);

} // namespace fwgen
