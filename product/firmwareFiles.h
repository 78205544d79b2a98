#pragma once
// The firmware files the tool knows by name: bare names, looked for in the working folder.

#include <string_view>

enum class FileFormat { IntelHex, SRecord };

struct ApplicationFile {
    std::string_view name;
    FileFormat format;
};

namespace files {

inline constexpr ApplicationFile TerminalK1{"Terminal-K1.hex", FileFormat::IntelHex};
inline constexpr ApplicationFile TerminalK2{"Terminal-K2.hex", FileFormat::IntelHex};
inline constexpr ApplicationFile TerminalP1{"Terminal-P1.S28", FileFormat::SRecord};
inline constexpr ApplicationFile TerminalP3{"Terminal-P3.S28", FileFormat::SRecord};
inline constexpr ApplicationFile TerminalP4{"Terminal-P4.S28", FileFormat::SRecord};
inline constexpr ApplicationFile TerminalP5{"Terminal-P5.S28", FileFormat::SRecord};
inline constexpr ApplicationFile TerminalP6{"Terminal-P6.S28", FileFormat::SRecord};
inline constexpr ApplicationFile TerminalP7{"Terminal-P7.S28", FileFormat::SRecord};
inline constexpr ApplicationFile TerminalP8{"Terminal-P8.S28", FileFormat::SRecord};
inline constexpr ApplicationFile TerminalP9{"Terminal-P9.s28", FileFormat::SRecord};
// The versions report spells the same file with an upper-case extension; where case does not
// count it is the same file, and the lookup finds either spelling on any file system.
inline constexpr ApplicationFile TerminalP9Reported{"Terminal-P9.S28", FileFormat::SRecord};
inline constexpr ApplicationFile RemoteP2{"remoteP2.S28", FileFormat::SRecord};
inline constexpr ApplicationFile ControllerK2{"Controller-K2.hex", FileFormat::IntelHex};
inline constexpr ApplicationFile AdvancedControllerK2{"AdvancedController-K2.hex",
                                                      FileFormat::IntelHex};
inline constexpr ApplicationFile HostK2{"Host-K2.hex", FileFormat::IntelHex};
inline constexpr ApplicationFile QrmC{"QRM-C.hex", FileFormat::IntelHex};
inline constexpr ApplicationFile QrmD{"QRM-D.S28", FileFormat::SRecord};

// Images of the remotes behind a terminal (S1 records); three products share each.
inline constexpr std::string_view RemoteR1 = "remoteR1.s19";
inline constexpr std::string_view RemoteR2 = "remoteR2.s19";
inline constexpr std::string_view RemoteR3 = "remoteR3.s19";
inline constexpr std::string_view RemoteR4 = "remoteR4.s19";
inline constexpr std::string_view RemoteR5 = "remoteR5.s19";
inline constexpr std::string_view RemoteR6 = "remoteR6.s19";
inline constexpr std::string_view RemoteR7 = "remoteR7.s19";
inline constexpr std::string_view RemoteR8 = "remoteR8.s19";

} // namespace files
