#include "trust/wholeFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace {

namespace fs = std::filesystem;

// Why the entry at path is not a regular file to read; empty when it is one.
std::string notRegular(const std::string& path, fs::file_status entry) {
    std::error_code error;
    const fs::file_status target = fs::is_symlink(entry) ? fs::status(path, error) : entry;
    if (target.type() == fs::file_type::not_found) return "a link to nothing";
    if (target.type() == fs::file_type::regular) return {};
    if (target.type() == fs::file_type::directory) return "it is a folder";
    if (error) return error.message();
    return "not a regular file";
}

struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

void readAll(std::FILE* in, std::size_t limit, WholeFile& file) {
    char block[64 * 1024];
    std::size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, in)) > 0) {
        if (file.bytes.size() + got > limit) {
            file.tooLarge = true;
            file.bytes.clear();
            return;
        }
        file.bytes.append(block, got);
    }
    if (std::ferror(in)) {
        file.error = std::strerror(errno);
        file.bytes.clear();
    }
}

} // namespace

WholeFile ReadWholeFile(const std::string& path, std::size_t limit) {
    WholeFile file;
    std::error_code error;
    const fs::file_status entry = fs::symlink_status(path, error);
    if (entry.type() == fs::file_type::not_found) return file;
    file.exists = true;
    if (error && entry.type() == fs::file_type::none) {
        file.error = error.message(); // a folder on the way that may not be searched
        return file;
    }
    file.error = notRegular(path, entry);
    if (!file.error.empty()) return file;
    errno = 0;
    const std::unique_ptr<std::FILE, Closer> in(std::fopen(path.c_str(), "rb"));
    if (!in) {
        file.error = errno != 0 ? std::strerror(errno) : "it does not open";
        return file;
    }
    readAll(in.get(), limit, file);
    return file;
}
