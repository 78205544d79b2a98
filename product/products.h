#pragma once
// What the survey and discovery show of a product ID: its description, the kind of unit it
// is, and whether its survey line shows the second version word.

#include <cstdint>
#include <string>
#include <string_view>

enum class UnitKind {
    ukUnknown,
    ukController,
    ukTerminal,
    ukRemote,
    ukHostInterface,
    ukRegistrationReader,
    ukTagPilot,
    ukOther,
};

inline constexpr char kUnknownProductName[] = "Unknown Product ID!";

// The description shown after a product ID; "Unknown Product ID!" for an ID not in the table.
std::string getProductName(std::uint8_t productId);
// The kind of unit a product is; ukUnknown for an ID not in the table.
UnitKind getProductKind(std::uint8_t productId);
bool isKnownProduct(std::uint8_t productId);
// Remotes whose survey line shows the second version in brackets after the version.
bool isBracketedProduct(std::uint8_t productId);
// A product as the reports show it: the ID with at least two digits, ":" and the description
// ("03:Terminal"); nothing is cut when the ID is wider.
std::string productLabel(int productId, std::string_view description);
