#include "trust/crypto.h"

#include <gcrypt.h>

#include <mutex>

namespace {

// libgcrypt wants its version check before first use; no secure memory is needed, as only
// public data (files, public keys, signatures) passes through it.
void initialise() {
    static std::once_flag once;
    std::call_once(once, [] {
        gcry_check_version(nullptr);
        gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
        gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
    });
}

template <std::size_t N> std::array<std::uint8_t, N> hashOf(int algorithm, std::string_view data) {
    initialise();
    std::array<std::uint8_t, N> digest{};
    gcry_md_hash_buffer(algorithm, digest.data(), data.data(), data.size());
    return digest;
}

// Releases an S-expression however the verification ends.
struct Sexp {
    gcry_sexp_t value = nullptr;
    ~Sexp() { gcry_sexp_release(value); }
};

} // namespace

Sha256Digest Sha256Of(std::string_view data) {
    return hashOf<32>(GCRY_MD_SHA256, data);
}

Blake2b512Digest Blake2b512Of(std::string_view data) {
    return hashOf<64>(GCRY_MD_BLAKE2B_512, data);
}

bool Ed25519Verifies(const Ed25519PublicKey& key, const Ed25519Signature& signature,
                     std::string_view message) {
    initialise();
    Sexp publicKey, signed_, data;
    if (gcry_sexp_build(&publicKey.value, nullptr,
                        "(public-key (ecc (curve Ed25519) (flags eddsa) (q %b)))",
                        static_cast<int>(key.size()), key.data()) != 0)
        return false;
    if (gcry_sexp_build(&signed_.value, nullptr, "(sig-val (eddsa (r %b) (s %b)))", 32,
                        signature.data(), 32, signature.data() + 32) != 0)
        return false;
    if (gcry_sexp_build(&data.value, nullptr, "(data (flags eddsa) (hash-algo sha512) (value %b))",
                        static_cast<int>(message.size()), message.data()) != 0)
        return false;
    return gcry_pk_verify(signed_.value, data.value, publicKey.value) == 0;
}

std::string LowerHex(const std::uint8_t* bytes, std::size_t count) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        text.push_back(kDigits[bytes[i] >> 4]);
        text.push_back(kDigits[bytes[i] & 0x0F]);
    }
    return text;
}
