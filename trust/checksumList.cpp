#include "trust/checksumList.h"

#include <algorithm>

namespace {

constexpr std::size_t kDigestLength = 64;

bool isHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string lowerText(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), lower);
    return text;
}

// A listed name as the folder lookup sees it: "./" in front names the same file.
std::string bareName(std::string_view name) {
    while (name.starts_with("./"))
        name.remove_prefix(2);
    return std::string(name);
}

struct Entry {
    std::string digest;
    std::string name;
};

// One line: the digest, a blank, then a blank (text) or "*" (binary), then the name.
std::optional<Entry> parseLine(std::string_view line, std::string& error) {
    if (!line.empty() && line.back() == '\r') {
        error = "ends in a carriage return (Windows line endings); save the list with Unix ones";
        return std::nullopt;
    }
    if (line.starts_with('\\')) {
        error = "holds an escaped name, which no firmware file has";
        return std::nullopt;
    }
    std::size_t digits = 0;
    while (digits < line.size() && isHex(line[digits]))
        ++digits;
    if (digits < line.size() && line[digits] != ' ') {
        error = "has a character that is not a hex digit in its digest";
        return std::nullopt;
    }
    if (digits != kDigestLength) {
        error = "has a digest of " + std::to_string(digits) + " hex digits, not 64";
        return std::nullopt;
    }
    if (line.size() < kDigestLength + 3 ||
        (line[kDigestLength + 1] != ' ' && line[kDigestLength + 1] != '*')) {
        error = "is not \"<digest>  <name>\"";
        return std::nullopt;
    }
    const std::string name = bareName(line.substr(kDigestLength + 2));
    if (name.empty()) {
        error = "names no file";
        return std::nullopt;
    }
    return Entry{lowerText(std::string(line.substr(0, kDigestLength))), name};
}

} // namespace

std::optional<std::string> ListedDigest(const ChecksumDigests& digests, const std::string& name) {
    const std::string wanted = bareName(name);
    if (const auto exact = digests.find(wanted); exact != digests.end()) return exact->second;
    const std::string folded = lowerText(wanted);
    std::optional<std::string> found;
    for (const auto& [listed, digest] : digests) {
        if (lowerText(listed) != folded) continue;
        if (found && *found != digest) return std::nullopt; // two files, two digests: neither
        found = digest;
    }
    return found;
}

ChecksumListParse ParseChecksumList(std::string_view text) {
    ChecksumListParse result;
    if (text.size() > kChecksumListLimit) {
        result.error = "is larger than " + std::to_string(kChecksumListLimit / 1024) + " KiB";
        return result;
    }
    ChecksumList list;
    int number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++number;
        if (line.empty()) continue;
        std::optional<Entry> entry = parseLine(line, result.error);
        if (entry) {
            const auto [at, added] = list.digests.emplace(entry->name, entry->digest);
            if (added || at->second == entry->digest) continue;
            result.error = "lists " + entry->name + " a second time with another digest";
        }
        result.badLine = number;
        return result;
    }
    if (list.digests.empty()) {
        result.error = "lists no file";
        return result;
    }
    result.list = std::move(list);
    return result;
}
