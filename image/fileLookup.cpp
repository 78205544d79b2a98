#include "image/fileLookup.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace {

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
               return lower(static_cast<unsigned char>(x)) == lower(static_cast<unsigned char>(y));
           });
}

std::vector<std::string> matchesIgnoringCase(const std::string& name) {
    std::vector<std::string> matches;
    std::error_code error;
    for (std::filesystem::directory_iterator it(".", error), end; !error && it != end;
         it.increment(error)) {
        const std::string entry = it->path().filename().string();
        if (sameIgnoringCase(entry, name)) matches.push_back(entry);
    }
    std::sort(matches.begin(), matches.end());
    return matches;
}

} // namespace

std::optional<std::string> FindFirmwareFile(Console& console, const std::string& name) {
    std::error_code error;
    if (std::filesystem::exists(name, error)) return name;
    const std::vector<std::string> matches = matchesIgnoringCase(name);
    if (matches.size() == 1) return matches.front();
    if (matches.size() > 1)
        console.status("Application Files " + matches[0] + " and " + matches[1] +
                       " both stand for " + name + "!");
    return std::nullopt;
}
