#pragma once
// Standard base64 (RFC 4648, with padding), as minisign writes keys and signatures.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// The decoded bytes; nothing when text is not canonical base64 (a character outside the
// alphabet, a length that is not a multiple of four, padding anywhere but at the end).
std::optional<std::vector<std::uint8_t>> DecodeBase64(std::string_view text);
