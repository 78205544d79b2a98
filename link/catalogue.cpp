#include "catalogue.h"

namespace {

std::string upperHex(std::uint32_t value, int digits) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i) {
        text[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
        value >>= 4;
    }
    return text;
}

std::string joined(std::string_view first, std::string_view second) {
    std::string text(first);
    text += second;
    return text;
}

} // namespace

namespace hexText {
std::string byte(std::uint8_t value) {
    return upperHex(value, 2);
}
std::string word(std::uint16_t value) {
    return upperHex(value, 4);
}
std::string la(std::uint8_t la) {
    return upperHex(la, 2);
}
std::string fixedAddress(std::uint32_t address) {
    return upperHex(address, 8);
}
} // namespace hexText

namespace addr {
std::string controller(std::uint8_t cc) {
    return controller(hexText::la(cc));
}
std::string controller(std::string_view cc) {
    return joined(cc, hexText::la(la::None));
}
std::string terminal(std::uint8_t cc, std::uint8_t tt) {
    return terminal(hexText::la(cc), tt);
}
std::string terminal(std::string_view cc, std::uint8_t tt) {
    return joined(cc, hexText::la(tt));
}
std::string allTerminalsOf(std::uint8_t cc) {
    return allTerminalsOf(hexText::la(cc));
}
std::string allTerminalsOf(std::string_view cc) {
    return joined(cc, hexText::la(la::Broadcast));
}
std::string busTerminal(std::uint8_t tt) {
    return terminal(la::None, tt);
}
} // namespace addr

namespace cmd {
std::string identify() {
    return IdentifyCode + hexText::word(IdentifyCount);
}

std::string acknowledge(std::uint32_t fixedAddress) {
    return AcknowledgeCode + hexText::fixedAddress(fixedAddress) + AcknowledgeTail;
}

std::string newLa(std::uint32_t fixedAddress, std::uint8_t la) {
    return newLa(hexText::fixedAddress(fixedAddress), hexText::la(la));
}

std::string newLa(std::string_view fixedAddress, std::string_view la) {
    return joined(NewLaCode, fixedAddress) + std::string(la);
}

std::string defaultMessage(std::string_view quotedText) {
    return joined(DefaultMessageCode, quotedText);
}

std::string port2(bool rs485) {
    return rs485 ? Port2Rs485 : Port2Rs232;
}

std::string passThrough(std::uint8_t waitCode, std::span<const std::uint8_t> request) {
    std::string text = PassThroughCode + hexText::byte(waitCode);
    for (std::uint8_t value : request)
        text += hexText::byte(value);
    return text;
}

std::string erase(std::uint8_t sectorMask) {
    return EraseCode + hexText::byte(sectorMask);
}

std::uint8_t sectorMask(int sector) {
    if (sector < 1 || sector > SectorCount) return 0;
    return static_cast<std::uint8_t>(1u << (sector - 1));
}

std::string writePage(std::string_view pageText) {
    return joined(WritePageCode, pageText);
}
} // namespace cmd
