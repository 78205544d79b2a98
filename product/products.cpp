#include "product/products.h"

#include "product/productTable.h"

#include <cstdio>

std::string getProductName(std::uint8_t productId) {
    const Product* product = findProduct(productId);
    return std::string(product ? product->name : kUnknownProductName);
}

UnitKind getProductKind(std::uint8_t productId) {
    const Product* product = findProduct(productId);
    return product ? product->kind : UnitKind::ukUnknown;
}

bool isKnownProduct(std::uint8_t productId) {
    return findProduct(productId) != nullptr;
}

bool isBracketedProduct(std::uint8_t productId) {
    const Product* product = findProduct(productId);
    return product && (product->flags & pfBracketed) != 0;
}

std::string productLabel(int productId, std::string_view description) {
    char id[16];
    std::snprintf(id, sizeof id, "%.2d", productId);
    return std::string(id) + ":" + std::string(description);
}
