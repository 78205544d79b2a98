#include "options.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

CLI::Validator HexText(std::size_t digits) {
    const std::string description = std::to_string(digits) + " hex digits";
    return CLI::Validator(
        [digits, description](std::string& text) -> std::string {
            const bool valid =
                text.size() == digits && std::all_of(text.begin(), text.end(), [](char c) {
                    return std::isxdigit(static_cast<unsigned char>(c));
                });
            if (!valid) return "takes " + description + ", not '" + text + "'";
            std::transform(text.begin(), text.end(), text.begin(), [](char c) {
                return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            });
            return {};
        },
        description, "HEX");
}

CLI::Validator DecimalRange(unsigned long low, unsigned long high) {
    const std::string range = std::to_string(low) + " to " + std::to_string(high);
    return CLI::Validator(
        [low, high, range](std::string& text) -> std::string {
            const bool digitsOnly = !text.empty() && text.size() <= 9 &&
                                    std::all_of(text.begin(), text.end(), [](char c) {
                                        return std::isdigit(static_cast<unsigned char>(c));
                                    });
            const unsigned long value = digitsOnly ? std::stoul(text) : 0;
            if (!digitsOnly || value < low || value > high)
                return "takes a number from " + range + ", not '" + text + "'";
            return {};
        },
        range, "RANGE");
}

CLI::Validator WritableFile() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            namespace fs = std::filesystem;
            const fs::path path(text);
            std::error_code error;
            if (fs::is_directory(path, error)) return "'" + text + "' is a folder, not a file";
            const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
            if (!fs::is_directory(folder, error))
                return "cannot write '" + text + "': no folder '" + folder.string() + "'";
            const bool existed = fs::exists(path, error);
            if (!std::ofstream(path, std::ios::app)) return "cannot write '" + text + "'";
            if (!existed) fs::remove(path, error);
            return {};
        },
        "", "FILE");
}
