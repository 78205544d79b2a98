#include "productFiles.h"

#include <algorithm>
#include <initializer_list>

namespace fwgen {

namespace {

struct ProductFile {
    std::initializer_list<int> products;
    const char* name;
};

// Products 5 and 50 are left out: their file depends on the unit type.
const ProductFile kApplicationFiles[] = {
    {{2, 7, 8, 9, 10, 11, 12, 14}, "Terminal-K1.hex"},
    {{3, 6, 20}, "Terminal-K2.hex"},
    {{4}, "Terminal-P3.S28"},
    {{18}, "Host-K2.hex"},
    {{28}, "AdvancedController-K2.hex"},
    {{30, 36, 37}, "Terminal-P1.S28"},
    {{38}, "Terminal-P4.S28"},
    {{39}, "Terminal-P5.S28"},
    {{40}, "Terminal-P6.S28"},
    {{41, 42, 46}, "Terminal-P7.S28"},
    {{69, 74, 92}, "remoteP2.S28"},
    {{70, 71, 72}, "Terminal-P8.S28"},
    {{81, 82, 83, 84, 89, 91, 93}, "Terminal-P9.s28"},
};

const ProductFile kRemoteImages[] = {
    {{31, 59, 85}, "remoteR1.s19"}, {{32, 60, 86}, "remoteR2.s19"}, {{33, 61, 87}, "remoteR3.s19"},
    {{34, 62, 88}, "remoteR4.s19"}, {{55, 76, 94}, "remoteR5.s19"}, {{56, 77, 95}, "remoteR6.s19"},
    {{57, 78, 96}, "remoteR7.s19"}, {{58, 79, 97}, "remoteR8.s19"},
};

template <std::size_t N> const char* lookUp(const ProductFile (&table)[N], int productId) {
    for (const ProductFile& row : table)
        if (std::ranges::find(row.products, productId) != row.products.end()) return row.name;
    return nullptr;
}

bool isIntelHexName(const std::string& name) {
    return name.ends_with(".hex");
}

} // namespace

std::optional<std::string> fileNameForProduct(int productId, FileFormat format) {
    if (format == FileFormat::S19) {
        const char* name = lookUp(kRemoteImages, productId);
        return name ? std::optional<std::string>(name) : std::nullopt;
    }
    const char* name = lookUp(kApplicationFiles, productId);
    if (!name) return std::nullopt;
    const bool wantHex = format != FileFormat::S28;
    if (isIntelHexName(name) != wantHex) return std::nullopt;
    return std::string(name);
}

} // namespace fwgen
