#pragma once
// The default display message as "38" carries it: three lines, each between double quotes,
// separated by commas, with a backslash in front of every backslash and double quote.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// The unescaped lines; nothing when the text does not follow the form.
std::optional<std::vector<std::string>> unescapeMessage(std::string_view text);

} // namespace sim
