#pragma once
// A generator whose output is fixed by its seed on every compiler and library, so that a
// sample file made today is byte for byte the one made on another machine (splitmix64).

#include <cstdint>

namespace fwgen {

class PseudoRandom {
public:
    explicit PseudoRandom(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    std::uint8_t nextByte() { return static_cast<std::uint8_t>(next() >> 56); }
    std::uint32_t below(std::uint32_t bound) { return static_cast<std::uint32_t>(next() % bound); }

private:
    std::uint64_t state_;
};

} // namespace fwgen
