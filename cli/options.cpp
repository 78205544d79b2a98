#include "options.h"

#include <algorithm>
#include <cctype>

std::optional<std::string> OptionList::takeValue(const std::string& name) {
    const auto it = std::find(args_.begin(), args_.end(), name);
    if (it == args_.end()) return std::nullopt;
    if (it + 1 == args_.end()) throw UsageError(name + " needs a value");
    std::string value = *(it + 1);
    args_.erase(it, it + 2);
    return value;
}

bool OptionList::takeFlag(const std::string& name) {
    const auto it = std::find(args_.begin(), args_.end(), name);
    if (it == args_.end()) return false;
    args_.erase(it);
    return true;
}

void OptionList::expectNoMore() const {
    if (!args_.empty()) throw UsageError("unexpected argument '" + args_.front() + "'");
}

std::string parseHexAddress(const std::string& option, const std::string& text,
                            std::size_t digits) {
    const bool valid = text.size() == digits && std::all_of(text.begin(), text.end(), [](char c) {
                           return std::isxdigit(static_cast<unsigned char>(c));
                       });
    if (!valid)
        throw UsageError(option + " takes " + std::to_string(digits) + " hex digits, not '" + text +
                         "'");
    std::string upper = text;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) {
        return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    });
    return upper;
}

unsigned long parseNumber(const std::string& option, const std::string& text, unsigned long low,
                          unsigned long high) {
    const bool digitsOnly =
        !text.empty() && text.size() <= 9 && std::all_of(text.begin(), text.end(), [](char c) {
            return std::isdigit(static_cast<unsigned char>(c));
        });
    const unsigned long value = digitsOnly ? std::stoul(text) : 0;
    if (!digitsOnly || value < low || value > high)
        throw UsageError(option + " takes a number from " + std::to_string(low) + " to " +
                         std::to_string(high) + ", not '" + text + "'");
    return value;
}
