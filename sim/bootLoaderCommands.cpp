// Commands of a unit's boot loader: entering upgrade mode, erasing and writing the flash.

#include "link/catalogue.h"
#include "sim/hexCodec.h"
#include "sim/imageStart.h"
#include "sim/replyLayouts.h"
#include "sim/unitCommands.h"

namespace sim {

namespace {
constexpr std::size_t kPageHeader = 12; // address (8 digits) and count (4 digits)
constexpr std::uint32_t kMaxPage = 128;
constexpr std::uint32_t kAllSectorsMask = 0x7F;

bool startsWith(const std::string& text, std::string_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

ReplyData unicast(const CommandContext& c, std::string data) {
    if (c.reach.broadcast) return std::nullopt;
    return data;
}

ReplyData flashResult(const CommandContext& c, std::uint8_t error) {
    c.unit.lastFlashError = error;
    return unicast(c, eraseWriteData(statusByte(c.unit), error));
}

// Whether an injected fault fires now; a "once" fault fires the first time only.
bool fires(std::optional<FlashFault>& fault, std::uint32_t target) {
    if (!fault || fault->target != target || (fault->fired && !fault->always)) return false;
    fault->fired = true;
    return true;
}

ReplyData erase(const CommandContext& c) {
    std::optional<std::uint32_t> mask = hexAt(c.request.command, 2, 2);
    if (c.request.command.size() != 4 || !mask || *mask == 0 || *mask > kAllSectorsMask)
        return flashResult(c, flashError::BadSectorMask);
    if (*mask == kAllSectorsMask && c.unit.faults.silentBulkErase) return std::nullopt;
    std::uint8_t error = flashError::None;
    for (int sector = 1; sector <= FlashMemory::SectorCount; ++sector) {
        if ((*mask & (1u << (sector - 1))) == 0) continue;
        if (fires(c.unit.faults.eraseFault, static_cast<std::uint32_t>(sector))) {
            error = c.unit.faults.eraseFault->code;
            continue;
        }
        c.unit.flash.eraseSector(sector);
        c.unit.applicationIntact = false;
        forgetRejectedImage(c.unit);
    }
    return flashResult(c, error);
}

struct Page {
    std::uint32_t address = 0;
    std::vector<std::uint8_t> bytes;
};

std::optional<Page> parsePage(std::string_view text) {
    std::optional<std::uint32_t> address = hexAt(text, 0, 8);
    std::optional<std::uint32_t> count = hexAt(text, 8, 4);
    if (!address || !count || *count == 0 || *count > kMaxPage) return std::nullopt;
    if (text.size() != kPageHeader + 2 * *count) return std::nullopt;
    Page page{*address, {}};
    for (std::uint32_t i = 0; i < *count; ++i) {
        std::optional<std::uint32_t> byte = hexAt(text, kPageHeader + 2 * i, 2);
        if (!byte) return std::nullopt;
        page.bytes.push_back(static_cast<std::uint8_t>(*byte));
    }
    return page;
}

ReplyData writePage(const CommandContext& c) {
    std::optional<Page> page = parsePage(std::string_view(c.request.command).substr(2));
    if (!page) return flashResult(c, flashError::MalformedPage);
    std::optional<std::uint32_t> cell = FlashMemory::cellOf(page->address);
    if (cell && fires(c.unit.faults.pageFault, *cell))
        return flashResult(c, c.unit.faults.pageFault->code);
    return flashResult(c, c.unit.flash.writePage(page->address, page->bytes));
}

ReplyData flashStatus(const CommandContext& c) {
    return unicast(c, flashStatusData(statusByte(c.unit), c.unit.lastFlashError));
}
} // namespace

ReplyData enterUpgradeMode(const CommandContext& c) {
    const std::string& command = c.request.command;
    if (command != cmd::EnterUpgrade && command != cmd::EnterUpgrade01) return std::nullopt;
    if (!c.unit.entryCommand.empty() && command != c.unit.entryCommand) return std::nullopt;
    if (!c.unit.faults.refuseUpgrade) c.unit.upgradeMode = true;
    std::uint16_t app = c.unit.applicationIntact ? c.unit.version : 0xFFFF;
    return unicast(c, upgradeModeData(statusByte(c.unit), c.unit.bootVersion, app));
}

ReplyData handleBootLoaderCommand(const CommandContext& c) {
    const std::string& command = c.request.command;
    if (command == cmd::FlashStatus) return flashStatus(c);
    if (startsWith(command, cmd::EraseCode)) return erase(c);
    if (startsWith(command, cmd::WritePageCode)) return writePage(c);
    return std::nullopt; // the boot loader knows nothing else
}

} // namespace sim
