#pragma once
// Two inventories of a site compared unit by unit, by fixed address. An inventory is either the
// survey's network document (one bus, or several listed by port) or a site report; each unit is
// where it was found (its port when the document names one, its controller and LA) with its
// product and version (a remote's: its second version; a site report's: the version after the
// run when there is one, else the one before) or that it is in its boot loader.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct InventoryUnit {
    std::string port;    // empty when the document names none
    std::string address; // CCTT as the unit is reached
    int productId = 0;
    std::string product;
    std::optional<std::string> version;
    bool inBootLoader = false; // it ran no application when the document was made
};

// By fixed address. A fixed address is a unit's own, but two buses that were set up alike (a
// test bench, a copied site) may each hold it once.
using Inventory = std::multimap<std::uint32_t, InventoryUnit>;

struct InventoryRead {
    std::optional<Inventory> inventory;
    std::optional<std::string> error; // why the text or file is not an inventory
};

InventoryRead parseInventory(const std::string& text);
// The error names the file.
InventoryRead readInventory(const std::string& path);

// One line per difference, in order of fixed address: a unit added or removed, moved to
// another port, controller or LA, its product or its version changed. Units of one fixed
// address on several buses are paired by port first.
std::vector<std::string> inventoryDifferences(const Inventory& before, const Inventory& after);
