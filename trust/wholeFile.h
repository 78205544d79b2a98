#pragma once
// Whole small files read into memory, so that what is checked is what is then used. A file
// that is there in any form but cannot be read as a regular file says why, so that a caller
// whose file decides whether a unit may be written can refuse instead of taking it as absent.

#include <cstddef>
#include <string>

struct WholeFile {
    bool exists = false;   // something of that name is there, whatever it is
    bool tooLarge = false; // bigger than the limit: not read
    // Set when it is there but was not read: why ("it is a folder", "Permission denied").
    std::string error;
    std::string bytes;

    bool read() const { return exists && !tooLarge && error.empty(); }
};

// Nothing is opened that is not a regular file: a FIFO would block the reader.
WholeFile ReadWholeFile(const std::string& path, std::size_t limit);
