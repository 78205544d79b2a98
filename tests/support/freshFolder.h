#pragma once
// A new, empty folder under the system's temporary folder, on any platform: a random name
// that create_directory claims only if no one has it yet.

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

inline std::filesystem::path makeFreshFolder(const std::string& prefix) {
    static std::mt19937_64 names{std::random_device{}()};
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path candidate =
            base / (prefix + std::to_string(names() % 1000000007));
        if (std::filesystem::create_directory(candidate)) return candidate;
    }
    throw std::runtime_error("no fresh folder under " + base.string());
}
