#pragma once
// The window's name and version, as its caption and its reports give them.

inline constexpr const char* kApplicationName = "Nexalo Firmware Upgrade";
inline constexpr const char* kApplicationVersion = "v6.8j";
