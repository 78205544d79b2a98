#include "sim/remoteBootLoader.h"

#include "link/catalogue.h"

#include <algorithm>

namespace sim {

namespace {
using Bytes = std::vector<std::uint8_t>;
constexpr std::uint32_t kBlockSize = 64;

bool inApplication(std::uint32_t a) {
    return a >= RemoteUnit::AppFirst && a <= RemoteUnit::AppLast;
}
bool inVectors(std::uint32_t a) {
    return a >= RemoteUnit::VectorFirst && a <= RemoteUnit::VectorLast;
}
bool inAreas(std::uint32_t a) {
    return inApplication(a) || inVectors(a);
}

bool isEntryCode(std::span<const std::uint8_t> request) {
    return std::equal(request.begin(), request.end(), std::begin(remote::EntryCode),
                      std::end(remote::EntryCode));
}

Bytes enter(RemoteUnit& r) {
    if (r.refuseEntry) return {remoteReply::Refused, 0x00};
    if (r.upgradeMode) return {remoteReply::AlreadyInUpgrade, remoteReply::Accepted};
    r.upgradeMode = true;
    return {remoteReply::Accepted};
}

Bytes version(const RemoteUnit& r) {
    return {remote::RequestVersion,
            r.productId,
            0x00,
            static_cast<std::uint8_t>(r.version >> 8),
            static_cast<std::uint8_t>(r.version & 0xFF),
            0x00,
            0x00};
}

Bytes setAddress(RemoteUnit& r, std::span<const std::uint8_t> q) {
    if (!r.upgradeMode || q.size() != 3) return {remoteReply::Rejected};
    r.address = static_cast<std::uint16_t>(q[1] << 8 | q[2]);
    return {remoteReply::Accepted};
}

Bytes eraseBlock(RemoteUnit& r) {
    if (!r.upgradeMode || !inAreas(r.address)) return {remoteReply::Rejected};
    std::uint32_t last = inVectors(r.address) ? RemoteUnit::VectorLast
                                              : std::min<std::uint32_t>(r.address + kBlockSize - 1,
                                                                        RemoteUnit::AppLast);
    for (std::uint32_t a = r.address; a <= last; ++a)
        r.flash[a] = 0xFF;
    return {remoteReply::Accepted};
}

Bytes write(RemoteUnit& r, std::span<const std::uint8_t> q) {
    if (!r.upgradeMode || q.size() < 2 || q.size() != std::size_t{q[1]} + 2u)
        return {remoteReply::Rejected};
    bool verified = true;
    for (std::size_t i = 2; i < q.size(); ++i) {
        std::uint32_t a = r.address;
        if (!inAreas(a)) return {remoteReply::Rejected};
        r.flash[a] = static_cast<std::uint8_t>(r.flash[a] & q[i]);
        verified = verified && r.flash[a] == q[i];
        r.address = static_cast<std::uint16_t>(a + 1);
    }
    return {verified ? remoteReply::Accepted : remoteReply::Rejected};
}

void leave(RemoteUnit& r) {
    if (!r.upgradeMode) return;
    r.upgradeMode = false;
    r.prepared = false;
    std::uint16_t written = static_cast<std::uint16_t>(r.flash[RemoteUnit::VersionCell] << 8 |
                                                       r.flash[RemoteUnit::VersionCell + 1]);
    if (written != 0xFFFF) r.version = written;
}
} // namespace

std::vector<std::uint8_t> handleRemoteRequest(RemoteUnit& r,
                                              std::span<const std::uint8_t> request) {
    r.requests.emplace_back(request.begin(), request.end());
    if (request.empty()) return {};
    if (isEntryCode(request)) return enter(r);
    switch (request[0]) {
    case remote::RequestVersion:
        // The boot loader runs no application and has no version to tell.
        return r.upgradeMode ? Bytes{remoteReply::Rejected} : version(r);
    case remote::RequestPrepare:
        r.prepared = true;
        return {remoteReply::Accepted};
    case remote::RequestSetAddress:
        return setAddress(r, request);
    case remote::RequestEraseBlock:
        return eraseBlock(r);
    case remote::RequestWrite:
        return write(r, request);
    case remote::RequestLeave:
        leave(r);
        return {remoteReply::Accepted};
    default:
        return {remoteReply::Rejected};
    }
}

} // namespace sim
