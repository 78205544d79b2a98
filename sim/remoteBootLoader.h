#pragma once
// The boot loader of a remote behind a terminal, reached byte for byte through "3EF00".

#include "sim/unitModel.h"

#include <cstdint>
#include <span>
#include <vector>

namespace sim {

namespace remoteReply {
inline constexpr std::uint8_t Accepted = 0x07;
inline constexpr std::uint8_t AlreadyInUpgrade = 0x08;
inline constexpr std::uint8_t Refused = 0x09;
inline constexpr std::uint8_t Rejected = 0x0F; // out of area, not in upgrade mode, bad request
} // namespace remoteReply

// The remote's reply bytes; empty when it sends nothing.
std::vector<std::uint8_t> handleRemoteRequest(RemoteUnit& remote,
                                              std::span<const std::uint8_t> request);

} // namespace sim
