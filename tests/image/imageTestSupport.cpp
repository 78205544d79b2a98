#include "imageTestSupport.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

void WriteTextFile(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
}

void WriteBinaryFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
}

std::vector<std::uint8_t> ReadBinaryFile(const std::string& name) {
    std::ifstream file(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> RandomBytes(std::size_t count, std::uint32_t seed) {
    std::mt19937 generator(seed);
    std::vector<std::uint8_t> bytes(count);
    for (std::uint8_t& byte : bytes)
        byte = static_cast<std::uint8_t>(generator());
    return bytes;
}

bool RunTool(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

namespace {

void MakeVersionedFile(const std::string& name, unsigned versionAddress, const std::string& output,
                       int major, int minor) {
    WriteBinaryFile(name + ".body", RandomBytes(0x200, static_cast<std::uint32_t>(major)));
    WriteBinaryFile(name + ".version",
                    {static_cast<std::uint8_t>(major), static_cast<std::uint8_t>(minor)});
    const std::string command = "srec_cat " + name + ".body -binary -offset " +
                                std::to_string(versionAddress - 0x1000) + " " + name +
                                ".version -binary -offset " + std::to_string(versionAddress) +
                                " -o " + name + " " + output;
    if (!RunTool(command)) throw std::runtime_error("srec_cat failed: " + command);
}

} // namespace

void MakeSRecordApplication(const std::string& name, int major, int minor) {
    MakeVersionedFile(name, 0xFF9F00, "-motorola -address-length=3 -execution-start-address=0",
                      major, minor);
}

void MakeHexApplication(const std::string& name, int major, int minor) {
    MakeVersionedFile(name, 0xFBFC, "-intel -address-length=2", major, minor);
}
