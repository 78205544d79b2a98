#include "trust/wholeFile.h"

#include <filesystem>
#include <fstream>
#include <iterator>

WholeFile ReadWholeFile(const std::string& path, std::size_t limit) {
    WholeFile file;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return file;
    std::ifstream in(path, std::ios::binary);
    if (!in) return file;
    file.exists = true;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > limit) {
        file.tooLarge = true;
        return file;
    }
    file.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (file.bytes.size() > limit) {
        file.tooLarge = true;
        file.bytes.clear();
    }
    return file;
}
