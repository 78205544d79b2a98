#pragma once
// The build's sample firmware files, as their listing (samples.txt: name, format, version, …)
// names them: copied into a working folder, where the tool looks for its files.

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <system_error>

namespace testkit {

// Copies every listed file from samples into folder; the version of each file by name. A
// listing that does not open, or a file that cannot be copied, throws
// std::filesystem::filesystem_error.
inline std::map<std::string, std::string> copySampleFiles(const std::filesystem::path& samples,
                                                          const std::filesystem::path& folder) {
    std::map<std::string, std::string> versions;
    std::ifstream listing(samples / "samples.txt");
    if (!listing)
        throw std::filesystem::filesystem_error(
            "no listing of sample files", samples / "samples.txt",
            std::make_error_code(std::errc::no_such_file_or_directory));
    for (std::string line; std::getline(listing, line);) {
        if (line.empty() || line[0] == '#') continue;
        const std::size_t name = line.find('\t');
        const std::size_t format = line.find('\t', name == std::string::npos ? name : name + 1);
        const std::string file = line.substr(0, name);
        if (format != std::string::npos)
            versions[file] = line.substr(format + 1, line.find('\t', format + 1) - format - 1);
        std::filesystem::copy_file(samples / file, folder / file,
                                   std::filesystem::copy_options::overwrite_existing);
    }
    return versions;
}

} // namespace testkit
