#include "trust/folderTrust.h"

#include "trust/checksumList.h"
#include "trust/wholeFile.h"

#include <optional>

namespace {

std::string kibText(std::size_t bytes) {
    return std::to_string(bytes / 1024) + " KiB";
}

// Why a file of the folder's trust that is there was not read, in words that follow its name;
// empty when it was read or is not there at all.
std::string unreadable(const WholeFile& file, std::size_t limit) {
    if (!file.error.empty()) return "cannot be read (" + file.error + ")";
    if (file.tooLarge) return "is larger than " + kibText(limit);
    return {};
}

std::string unreadable(const std::string& name, const WholeFile& file, std::size_t limit) {
    const std::string why = unreadable(file, limit);
    return why.empty() ? why : name + " " + why;
}

// Why the list cannot be trusted, or empty when key's signature of it verifies; then line
// says so, with the signature's trusted comment.
std::string signatureProblem(const MinisignKey& key, const std::string& listText,
                             const WholeFile& signatureText, std::string& line) {
    if (!signatureText.exists)
        return std::string(kSignatureFileName) + " is missing: the list is not signed";
    const MinisignRead<MinisignSignature> signature = ParseMinisignSignature(signatureText.bytes);
    if (!signature.value) return std::string(kSignatureFileName) + " " + signature.error;
    const std::string problem = MinisignVerify(key, *signature.value, listText);
    if (!problem.empty()) return std::string(kChecksumListName) + " " + problem;
    line = std::string(kChecksumListName) + " signed by key " + KeyIdText(key.id) +
           ", trusted comment: " + signature.value->trustedComment;
    return {};
}

// The configured key; none when none is configured, or when it does not read (then refusal
// says why).
std::optional<MinisignKey> trustedKey(const TrustSettings& settings, std::string& refusal) {
    if (settings.trustedKeyFile.empty()) return std::nullopt;
    MinisignRead<MinisignKey> read = ReadTrustedKey(settings.trustedKeyFile);
    if (!read.value) refusal = "the trusted key " + settings.trustedKeyFile + " " + read.error;
    return read.value;
}

std::string listProblem(const ChecksumListParse& parse) {
    std::string where = kChecksumListName;
    if (parse.badLine != 0) where += " line " + std::to_string(parse.badLine);
    return where + " " + parse.error;
}

} // namespace

MinisignRead<MinisignKey> ReadTrustedKey(const std::string& path) {
    const WholeFile file = ReadWholeFile(path, kKeyFileLimit);
    if (!file.exists) return {std::nullopt, "cannot be read (there is no such file)"};
    const std::string problem = unreadable(file, kKeyFileLimit);
    if (!problem.empty()) return {std::nullopt, problem};
    return ParseMinisignKey(file.bytes);
}

FirmwareTrust ReadFirmwareTrust(const TrustSettings& settings) {
    FirmwareTrust trust;
    const WholeFile list = ReadWholeFile(kChecksumListName, kChecksumListLimit);
    const WholeFile signature = ReadWholeFile(kSignatureFileName, kSignatureFileLimit);
    // Unread is refused even without a key: a signature that cannot be read says the folder
    // is not as it was signed.
    trust.refusal = unreadable(kChecksumListName, list, kChecksumListLimit);
    if (trust.refusal.empty())
        trust.refusal = unreadable(kSignatureFileName, signature, kSignatureFileLimit);
    if (!trust.refusal.empty()) return trust;
    const std::optional<MinisignKey> key = trustedKey(settings, trust.refusal);
    if (!trust.refusal.empty()) return trust;
    if (!list.exists) {
        if (key)
            trust.refusal = std::string("a trusted key is configured and there is no ") +
                            kChecksumListName + " to check it against";
        return trust;
    }
    if (key) {
        trust.refusal = signatureProblem(*key, list.bytes, signature, trust.signatureLine);
        if (!trust.refusal.empty()) return trust;
    }
    ChecksumListParse parse = ParseChecksumList(list.bytes);
    if (!parse.list)
        trust.refusal = listProblem(parse);
    else
        trust.digests = std::move(parse.list->digests);
    return trust;
}
