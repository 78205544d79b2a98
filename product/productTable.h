#pragma once
// The product table: one row for every product ID that the tool knows. The accessors of
// products.h, productFiles.h and upgradeCases.h read it; nothing else holds a product fact.

#include "product/firmwareFiles.h"
#include "product/products.h"
#include "product/unitType.h"

#include <cstdint>
#include <string_view>

enum ProductFlag : unsigned {
    pfBracketed = 1,   // the survey line shows the second version word
    pfNoBroadcast = 2, // the all-at-once broadcast upgrade passes over it
};

struct Product {
    std::uint8_t id;
    UnitKind kind;
    // File and class under every unit type but those that firmwareOf() treats otherwise.
    std::uint8_t upgradeClass;    // 0: no class
    const ApplicationFile* file;  // nullptr: no application file
    std::string_view remoteImage; // empty: none
    unsigned flags;
    std::string_view name;
};

struct Firmware {
    const ApplicationFile* file = nullptr;
    std::uint8_t upgradeClass = 0;
};

// The row of a product ID; nullptr for an ID that the table does not know.
const Product* findProduct(std::uint8_t productId);

// What a product takes under a unit type; nothing for an ID that the table does not know.
Firmware firmwareOf(std::uint8_t productId, UnitType unitType);
