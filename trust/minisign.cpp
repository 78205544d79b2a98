#include "trust/minisign.h"

#include "trust/base64.h"

#include <algorithm>
#include <vector>

namespace {

constexpr std::string_view kUntrusted = "untrusted comment: ";
constexpr std::string_view kTrusted = "trusted comment: ";
constexpr std::size_t kPublicKeySize = 2 + 8 + 32;
constexpr std::size_t kSignatureSize = 2 + 8 + 64;
constexpr std::size_t kSecretKeySize = 2 + 2 + 2 + 32 + 8 + 8 + 8 + 64 + 32;
// Longer than any comment minisign writes; keeps a garbage file from being copied around.
constexpr std::size_t kLineLimit = 4096;

// The text's lines without their line ends; a carriage return before a line feed is dropped.
std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r')) line.remove_suffix(1);
        lines.push_back(line);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

template <std::size_t N>
void copyBytes(std::array<std::uint8_t, N>& to, const std::vector<std::uint8_t>& from,
               std::size_t at) {
    std::copy_n(from.begin() + static_cast<std::ptrdiff_t>(at), N, to.begin());
}

std::string kindOfBlob(std::size_t size) {
    if (size == kSecretKeySize) return "a minisign secret key, not a public key";
    if (size == kSignatureSize) return "a minisign signature, not a public key";
    return "not a minisign public key (" + std::to_string(size) + " bytes)";
}

std::string_view keyLine(const std::vector<std::string_view>& lines) {
    for (std::string_view line : lines)
        if (!line.empty() && !line.starts_with(kUntrusted)) return line;
    return {};
}

} // namespace

std::string KeyIdText(const MinisignKeyId& id) {
    // minisign reads the eight bytes as one little-endian number.
    std::array<std::uint8_t, 8> reversed{};
    std::reverse_copy(id.begin(), id.end(), reversed.begin());
    std::string text = LowerHex(reversed);
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'a' && c <= 'f' ? static_cast<char>(c - 32) : c; });
    return text;
}

MinisignRead<MinisignKey> ParseMinisignKey(std::string_view text) {
    if (text.size() > kLineLimit) return {std::nullopt, "is too large for a public key"};
    const std::string_view line = keyLine(linesOf(text));
    if (line.empty()) return {std::nullopt, "holds no key"};
    const auto blob = DecodeBase64(line);
    if (!blob) return {std::nullopt, "is not base64"};
    if (blob->size() != kPublicKeySize) return {std::nullopt, "is " + kindOfBlob(blob->size())};
    if ((*blob)[0] != 'E' || (*blob)[1] != 'd')
        return {std::nullopt, "is a key of another algorithm than Ed25519"};
    MinisignKey key;
    copyBytes(key.id, *blob, 2);
    copyBytes(key.key, *blob, 10);
    return {key, {}};
}

MinisignRead<MinisignSignature> ParseMinisignSignature(std::string_view text) {
    if (text.empty()) return {std::nullopt, "is empty"};
    if (text.size() > 4 * kLineLimit) return {std::nullopt, "is too large for a signature"};
    const std::vector<std::string_view> lines = linesOf(text);
    if (lines.size() < 4 || !lines[0].starts_with(kUntrusted) || !lines[2].starts_with(kTrusted))
        return {std::nullopt, "is not a minisign signature (truncated or of another format)"};
    const auto blob = DecodeBase64(lines[1]);
    const auto commentBlob = DecodeBase64(lines[3]);
    if (!blob || !commentBlob) return {std::nullopt, "holds a signature that is not base64"};
    if (blob->size() != kSignatureSize || commentBlob->size() != 64)
        return {std::nullopt, "holds a signature of the wrong length"};
    MinisignSignature signature;
    const std::string_view algorithm(reinterpret_cast<const char*>(blob->data()), 2);
    if (algorithm != "Ed" && algorithm != "ED")
        return {std::nullopt, "is a signature of another algorithm than Ed25519"};
    signature.prehashed = algorithm == "ED";
    copyBytes(signature.keyId, *blob, 2);
    copyBytes(signature.signature, *blob, 10);
    signature.trustedComment = std::string(lines[2].substr(kTrusted.size()));
    copyBytes(signature.commentSignature, *commentBlob, 0);
    return {signature, {}};
}

std::string MinisignVerify(const MinisignKey& key, const MinisignSignature& signature,
                           std::string_view message) {
    if (signature.keyId != key.id)
        return "is signed by another key (" + KeyIdText(signature.keyId) + ", trusted key " +
               KeyIdText(key.id) + ")";
    Blake2b512Digest digest{};
    if (signature.prehashed) {
        digest = Blake2b512Of(message);
        message = std::string_view(reinterpret_cast<const char*>(digest.data()), digest.size());
    }
    if (!Ed25519Verifies(key.key, signature.signature, message))
        return "has a signature that does not verify (the list or the signature was changed)";
    std::string covered(reinterpret_cast<const char*>(signature.signature.data()),
                        signature.signature.size());
    covered += signature.trustedComment;
    if (!Ed25519Verifies(key.key, signature.commentSignature, covered))
        return "has a trusted comment whose signature does not verify";
    return {};
}
