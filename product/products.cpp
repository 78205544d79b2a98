#include "product/products.h"

#include "product/productTable.h"

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
