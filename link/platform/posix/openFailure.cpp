#include "openFailure.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <sys/stat.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The group that may use the device (dialout on Debian), from the device itself.
std::string owningGroup(const std::string& device) {
    struct stat info {};
    if (stat(device.c_str(), &info) != 0) return "dialout";
    const group* entry = getgrgid(info.st_gid);
    return entry ? entry->gr_name : "dialout";
}

// Every /dev/ttyS* exists whether or not there is a UART behind it; the kernel says which
// have one (type 0 is no port).
bool hasHardware(const std::string& name) {
    std::ifstream type("/sys/class/tty/" + name + "/type");
    int kind = 0;
    return (type >> kind) && kind != 0;
}

std::vector<std::string> machinePorts() {
    std::vector<std::string> ports;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator("/dev", error)) {
        const std::string name = entry.path().filename().string();
        const bool usb = name.rfind("ttyUSB", 0) == 0 || name.rfind("ttyACM", 0) == 0;
        const bool onboard = name.rfind("ttyS", 0) == 0 && hasHardware(name);
        if (usb || onboard) ports.push_back(entry.path().string());
    }
    std::sort(ports.begin(), ports.end());
    return ports;
}

std::vector<std::string> workingFolderPorts() {
    std::vector<std::string> ports;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(".", error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 3 && name.rfind("COM", 0) == 0 &&
            std::all_of(name.begin() + 3, name.end(), [](char c) { return c >= '0' && c <= '9'; }))
            ports.push_back(name);
    }
    std::sort(ports.begin(), ports.end());
    return ports;
}

} // namespace

std::string listSerialPorts() {
    std::vector<std::string> ports = workingFolderPorts();
    const std::vector<std::string> machine = machinePorts();
    ports.insert(ports.end(), machine.begin(), machine.end());
    if (ports.empty()) return "No serial port was found on this machine.";
    std::string text = "Serial ports here:";
    for (const std::string& port : ports)
        text += " " + port;
    return text + ".";
}

std::string describeOpenFailure(const std::string& device, OpenStage stage, int errorNumber) {
    const std::string head = device + ": ";
    switch (stage) {
    case OpenStage::NotATerminal:
        return head + "not a serial line.";
    case OpenStage::Busy:
        return head + "busy: another program is using this port.";
    case OpenStage::Open:
        break;
    }
    const std::string what = std::strerror(errorNumber);
    switch (errorNumber) {
    case EACCES:
    case EPERM:
        return head + what + ". Join the group '" + owningGroup(device) +
               "' that owns the device (sudo usermod -aG " + owningGroup(device) +
               " $USER), then log in again.";
    case EBUSY:
        return head + "busy: another program is using this port.";
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return head + what + ". " + listSerialPorts();
    default:
        return head + what + ".";
    }
}
