// Feeds arbitrary text to the reader of the documents "diff" compares (survey inventories and
// site reports): read or refused with a reason, never a crash; an inventory compared with itself
// differs in nothing, and with an empty one in one line a unit.

#include "fuzzChecks.h"
#include "site/inventoryDiff.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const InventoryRead read = parseInventory(std::string(AsText(data, size)));
    Require(read.inventory.has_value() != read.error.has_value());
    if (!read.inventory) return 0;
    Require(inventoryDifferences(*read.inventory, *read.inventory).empty());
    Require(inventoryDifferences(Inventory{}, *read.inventory).size() == read.inventory->size());
    return 0;
}
