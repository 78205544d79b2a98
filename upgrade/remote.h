#pragma once
// The upgrade of a remote behind a terminal. The remote is reached only through the unit in
// front of it: every request travels inside a "3EF00" command to that unit, whose reply
// carries the remote's answer back.

#include "image/pageFormat.h"
#include "link/outcome.h"
#include "link/transaction.h"
#include "upgrade/upgradeRun.h"

#include <cstdint>
#include <string>
#include <vector>

// The remote's answer to one request; empty when no remote bytes came back.
using RemoteReply = std::vector<std::uint8_t>;

// Sends request to the remote behind the unit at address and fills reply. With the wait code
// remote::WaitNone the frame goes out once and nothing is awaited.
void TxMessageRemote(Transaction& link, const std::string& address, std::uint8_t waitCode,
                     const RemoteRequest& request, RemoteReply& reply);

// Writes the image of productId into the remote behind the unit at address. Completed when the
// remote was written; refused when the image was refused or unreadable; failed when the remote
// did not enter upgrade mode, a block of either area failed or no version came after; stopped
// or line lost when the run ended under it. Once anything
// went to the remote, the unit in front is told to stop relaying ("3E00000"), whatever the
// result, unless the operator stopped or the line was lost.
Outcome GoUpgradeRemote(UpgradeRun& run, const std::string& address, std::uint8_t productId);
