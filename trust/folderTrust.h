#pragma once
// Reading the working folder's firmware trust once, at the start of a run that may send
// firmware: SHA256SUMS, its signature SHA256SUMS.minisig and the trusted key. Each of them
// that is there but cannot be read (a folder, a FIFO, a link to nothing, no permission, too
// large) refuses every file of the run with the reason; only a list that is not there at all,
// with no key configured, lets files through unchecked.

#include "link/firmwareTrust.h"
#include "link/trustSettings.h"
#include "trust/minisign.h"

#include <cstddef>
#include <string>

inline constexpr const char* kSignatureFileName = "SHA256SUMS.minisig";
// A public key is two short lines; a signature four.
inline constexpr std::size_t kKeyFileLimit = 4096;
inline constexpr std::size_t kSignatureFileLimit = 4 * kKeyFileLimit;

// The public key in path, or what is wrong with it in words that follow the path ("cannot be
// read (it is a folder)", "is a minisign secret key, not a public key").
MinisignRead<MinisignKey> ReadTrustedKey(const std::string& path);

// The folder's trust as it stands now, in the working folder.
FirmwareTrust ReadFirmwareTrust(const TrustSettings& settings);
