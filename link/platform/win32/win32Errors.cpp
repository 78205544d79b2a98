#include "win32Errors.h"

#include <windows.h>

namespace {

constexpr int kHighestPortListed = 256;

} // namespace

std::string systemErrorText(std::uint32_t error) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&text),
        0, nullptr);
    std::string words = length > 0 && text ? std::string(text, length) : std::string();
    if (text) LocalFree(text);
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == ' ' ||
                              words.back() == '.'))
        words.pop_back();
    if (words.empty()) words = "Windows error " + std::to_string(error);
    return words;
}

// Every port the system knows has a name in the DOS device namespace, whether a driver, a
// USB adapter or (under Wine) a link to a host device stands behind it.
std::string listSerialPorts() {
    std::string ports;
    char target[1024];
    for (int number = 1; number <= kHighestPortListed; ++number) {
        const std::string name = "COM" + std::to_string(number);
        if (QueryDosDeviceA(name.c_str(), target, sizeof target) != 0) ports += " " + name;
    }
    if (ports.empty()) return "No serial port was found on this machine.";
    return "Serial ports here:" + ports + ".";
}

std::string describeOpenFailure(const std::string& device, std::uint32_t error) {
    const std::string head = device + ": ";
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        // A port is opened without sharing: whoever holds it keeps everyone else out.
        return head + "busy: another program is using this port.";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_UNIT:
    case ERROR_NOT_READY:
        return head + systemErrorText(error) + ". " + listSerialPorts();
    default:
        return head + systemErrorText(error) + ".";
    }
}
