#include "upgrade/remote.h"

bool GoUpgradeRemote(UpgradeRun&, const std::string&, std::uint8_t) {
    return false;
}

void TxMessageRemote(UpgradeRun&, const std::string&, const std::string&, std::string& reply) {
    reply.clear();
}
