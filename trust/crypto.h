#pragma once
// The three primitives that firmware trust rests on, all from libgcrypt: SHA-256 of the
// firmware files and of nothing else, BLAKE2b-512 of a prehashed minisign signature, and the
// Ed25519 verification of a signature.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

using Sha256Digest = std::array<std::uint8_t, 32>;
using Blake2b512Digest = std::array<std::uint8_t, 64>;
using Ed25519PublicKey = std::array<std::uint8_t, 32>;
using Ed25519Signature = std::array<std::uint8_t, 64>;

Sha256Digest Sha256Of(std::string_view data);
Blake2b512Digest Blake2b512Of(std::string_view data);
// True only when signature is key's signature of message.
bool Ed25519Verifies(const Ed25519PublicKey& key, const Ed25519Signature& signature,
                     std::string_view message);

// Lower-case hex, two digits a byte: the form sha256sum writes.
std::string LowerHex(const std::uint8_t* bytes, std::size_t count);
template <std::size_t N> std::string LowerHex(const std::array<std::uint8_t, N>& bytes) {
    return LowerHex(bytes.data(), N);
}
