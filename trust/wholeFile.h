#pragma once
// Whole small files read into memory, so that what is checked is what is then used.

#include <cstddef>
#include <optional>
#include <string>

struct WholeFile {
    bool exists = false;   // false: nothing of that name, or not a regular file
    bool tooLarge = false; // bigger than the limit: not read
    std::string bytes;
};

WholeFile ReadWholeFile(const std::string& path, std::size_t limit);
