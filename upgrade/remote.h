#pragma once
// Upgrading a remote behind the terminal at address, through that terminal.

#include "upgrade/upgradeRun.h"

#include <cstdint>
#include <string>

bool GoUpgradeRemote(UpgradeRun& run, const std::string& address, std::uint8_t productId);

// One request to the remote behind the terminal at address; reply receives the remote's answer.
void TxMessageRemote(UpgradeRun& run, const std::string& address, const std::string& request,
                     std::string& reply);
