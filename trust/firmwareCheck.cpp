#include "trust/firmwareCheck.h"

#include "trust/checksumList.h"
#include "trust/minisign.h"
#include "trust/wholeFile.h"

#include <filesystem>

namespace {

constexpr std::size_t kKeyFileLimit = 4096;

// The list's name as the check reports it, relative to the working folder where it lies there.
std::string listedName(const std::string& name) {
    std::error_code error;
    const std::filesystem::path path(name);
    if (!path.is_absolute()) return name;
    const std::filesystem::path relative =
        std::filesystem::relative(path, std::filesystem::current_path(error), error);
    if (error || relative.empty() || relative.generic_string().starts_with("..")) return name;
    return relative.generic_string();
}

// Why the list cannot be trusted, or empty when its signature by the trusted key verifies.
std::string signatureProblem(Console& console, const std::string& keyFile,
                             std::string_view listText) {
    const WholeFile keyText = ReadWholeFile(keyFile, kKeyFileLimit);
    if (!keyText.exists) return "the trusted key " + keyFile + " cannot be read";
    const MinisignRead<MinisignKey> key = ParseMinisignKey(keyText.bytes);
    if (!key.value) return "the trusted key " + keyFile + " " + key.error;
    const WholeFile signatureText = ReadWholeFile(kSignatureFileName, kKeyFileLimit * 4);
    if (!signatureText.exists)
        return std::string(kSignatureFileName) + " is missing: the list is not signed";
    const MinisignRead<MinisignSignature> signature = ParseMinisignSignature(signatureText.bytes);
    if (!signature.value) return std::string(kSignatureFileName) + " " + signature.error;
    const std::string problem = MinisignVerify(*key.value, *signature.value, listText);
    if (!problem.empty()) return std::string(kChecksumListName) + " " + problem;
    console.status(std::string(kChecksumListName) + " signed by key " + KeyIdText(key.value->id) +
                   ", trusted comment: " + signature.value->trustedComment);
    return {};
}

std::string listProblem(const ChecksumListParse& parse) {
    std::string where = kChecksumListName;
    if (parse.badLine != 0) where += " line " + std::to_string(parse.badLine);
    return where + " " + parse.error;
}

} // namespace

FileVerdict CheckFirmwareFile(Console& console, const TrustSettings& trust, const std::string& name,
                              std::string_view bytes) {
    FileVerdict verdict{LowerHex(Sha256Of(bytes)), {}};
    const std::string refused = "Firmware file " + name + " refused: ";
    const WholeFile listText = ReadWholeFile(kChecksumListName, kChecksumListLimit);
    const bool keyed = !trust.trustedKeyFile.empty();
    if (!listText.exists) {
        if (keyed)
            verdict.refusal = refused + "a trusted key is configured and there is no " +
                              kChecksumListName + " to check it against";
        return verdict;
    }
    if (listText.tooLarge) {
        verdict.refusal = refused + kChecksumListName + " is larger than " +
                          std::to_string(kChecksumListLimit / 1024) + " KiB";
        return verdict;
    }
    if (keyed) {
        const std::string problem = signatureProblem(console, trust.trustedKeyFile, listText.bytes);
        if (!problem.empty()) {
            verdict.refusal = refused + problem;
            return verdict;
        }
    }
    const ChecksumListParse parse = ParseChecksumList(listText.bytes);
    if (!parse.list) {
        verdict.refusal = refused + listProblem(parse);
        return verdict;
    }
    const std::optional<std::string> listed = parse.list->digestOf(listedName(name));
    if (!listed)
        verdict.refusal = "Firmware file " + name + " is not listed in " + kChecksumListName;
    else if (*listed != verdict.sha256)
        verdict.refusal = "Firmware file " + name + " does not match " + kChecksumListName +
                          " (sha256 " + verdict.sha256 + ")";
    return verdict;
}
