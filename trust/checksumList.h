#pragma once
// The working folder's SHA256SUMS: one "<64 hex digits>  <name>" line a file, as sha256sum
// writes it and "sha256sum -c" reads it (" *<name>", the binary marker, is the same).

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

inline constexpr const char* kChecksumListName = "SHA256SUMS";
// Far beyond any firmware folder's list; a bigger file is not read at all.
inline constexpr std::size_t kChecksumListLimit = 1024 * 1024;

using ChecksumDigests = std::map<std::string, std::string>; // name as listed -> lower-case hex

// The digest listed for name (lower-case hex): the entry of that very name, else the one entry
// that matches it without regard to case, as firmware files are looked up.
std::optional<std::string> ListedDigest(const ChecksumDigests& digests, const std::string& name);

class ChecksumList {
public:
    std::optional<std::string> digestOf(const std::string& name) const {
        return ListedDigest(digests, name);
    }

    ChecksumDigests digests;
};

struct ChecksumListParse {
    std::optional<ChecksumList> list;
    int badLine = 0;   // 1-based line that made the list unusable (0: the file as a whole)
    std::string error; // what is wrong with it
};

// The whole list, or the first line that is wrong with what is wrong with it. A list that
// holds anything malformed is not used at all: a check half done is worse than none.
ChecksumListParse ParseChecksumList(std::string_view text);
