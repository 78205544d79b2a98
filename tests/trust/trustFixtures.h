#pragma once
// The minisign fixtures of the trust tests, read as they lie.

#include <fstream>
#include <iterator>
#include <string>

inline std::string fixturePath(const std::string& name) {
    return std::string(NEXALO_TRUST_FIXTURES) + "/" + name;
}

inline std::string fixtureText(const std::string& name) {
    std::ifstream in(fixturePath(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}
