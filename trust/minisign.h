#pragma once
// Public keys and signatures in the format of the minisign tool (Ed25519). A signature is of
// the file itself ("Ed", the legacy form) or of its BLAKE2b-512 digest ("ED", the prehashed
// form minisign makes by default); either way a second signature covers the first together
// with the trusted comment, so the comment cannot be changed either.

#include "trust/crypto.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

using MinisignKeyId = std::array<std::uint8_t, 8>;

struct MinisignKey {
    MinisignKeyId id{};
    Ed25519PublicKey key{};
};

struct MinisignSignature {
    bool prehashed = false;
    MinisignKeyId keyId{};
    Ed25519Signature signature{};
    std::string trustedComment;
    Ed25519Signature commentSignature{};
};

// A value read from a file, or why it could not be.
template <typename T> struct MinisignRead {
    std::optional<T> value;
    std::string error;
};

// The text of a public key file ("untrusted comment: ..." then the key in base64), or the
// bare base64 key. A secret key or a signature given instead is named as such.
MinisignRead<MinisignKey> ParseMinisignKey(std::string_view text);
// The text of a .minisig file: untrusted comment, signature, trusted comment, its signature.
MinisignRead<MinisignSignature> ParseMinisignSignature(std::string_view text);

// Empty when signature is key's valid signature of message and of its trusted comment; else
// why not (another key, a signature that does not verify).
std::string MinisignVerify(const MinisignKey& key, const MinisignSignature& signature,
                           std::string_view message);

// The key ID as minisign prints it: sixteen upper-case hex digits.
std::string KeyIdText(const MinisignKeyId& id);
