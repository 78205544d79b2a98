// Feeds arbitrary bytes to the SHA256SUMS reader, the minisign key and signature readers and
// the history line reader; the first byte picks which. A list that reads must answer for
// every name it holds; a signature that reads must verify or say why not.

#include "fuzzChecks.h"
#include "trust/checksumList.h"
#include "trust/history.h"
#include "trust/minisign.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view text = AsText(data + 1, size - 1);
    switch (data[0] % 4) {
    case 0: {
        const ChecksumListParse parse = ParseChecksumList(text);
        Require(parse.list.has_value() == parse.error.empty());
        if (parse.list)
            for (const auto& [name, digest] : parse.list->digests)
                Require(digest.size() == 64 && parse.list->digestOf(name).has_value());
        break;
    }
    case 1: {
        const MinisignRead<MinisignKey> key = ParseMinisignKey(text);
        Require(key.value.has_value() == key.error.empty());
        break;
    }
    case 2: {
        const MinisignRead<MinisignSignature> signature = ParseMinisignSignature(text);
        Require(signature.value.has_value() == signature.error.empty());
        if (signature.value)
            Require(!MinisignVerify(MinisignKey{}, *signature.value, text).empty());
        break;
    }
    default:
        if (const auto record = ParseHistoryLine(std::string(text)))
            Require(ParseHistoryLine(HistoryLine(*record)).has_value());
        break;
    }
    return 0;
}
