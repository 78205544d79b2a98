#include "sim/virtualLineBackend.h"

#include "sim/lineTiming.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {
constexpr std::uint64_t ceilMs(std::uint64_t us) {
    return (us + 999) / 1000;
}
} // namespace

VirtualLineBackend::VirtualLineBackend(VirtualClock& clock, NetworkSimulator& network)
    : clock_(clock), network_(network) {
    configure(LineSettings{});
}

bool VirtualLineBackend::open(const std::string&) {
    open_ = true;
    return true;
}

void VirtualLineBackend::close() {
    deliverSent(nowUs());
    open_ = false;
}

bool VirtualLineBackend::configure(const LineSettings& settings) {
    baud_ = settings.baud == 0 ? 38400 : settings.baud;
    byteTimeUs_ = characterTimeUs(baud_);
    replies_.setBaud(baud_);
    return true;
}

void VirtualLineBackend::deliverSent(std::uint64_t byUs) {
    while (!sent_.empty() && sent_.front().onWireUs <= byUs) {
        SentByte sent = sent_.front();
        sent_.pop_front();
        std::optional<std::string> frame = assembler_.push(sent.byte);
        if (!frame) continue;
        replies_.schedule(network_.receiveFrame(*frame, sent.onWireUs / 1000), sent.onWireUs);
    }
}

void VirtualLineBackend::advanceTo(std::uint64_t us) {
    clock_.advanceTo(ceilMs(us));
    deliverSent(nowUs());
}

// Input: what has arrived is thrown away; replies still on their way arrive later.
// Output: what has not left yet never reaches the units.
void VirtualLineBackend::purge(bool input, bool output) {
    deliverSent(nowUs());
    if (input) replies_.discardArrived(nowUs());
    if (output) {
        sent_.clear();
        sendLineFreeUs_ = std::min(sendLineFreeUs_, nowUs());
    }
}

int VirtualLineBackend::bytesWaiting() {
    if (!open_) return -1;
    deliverSent(nowUs());
    return static_cast<int>(replies_.arrivedBy(nowUs()));
}

int VirtualLineBackend::outputQueued() {
    deliverSent(nowUs());
    return static_cast<int>(sent_.size());
}

int VirtualLineBackend::write(const std::uint8_t* data, int count) {
    if (!open_ || count <= 0) return open_ ? 0 : -1;
    deliverSent(nowUs());
    std::uint64_t start = std::max(sendLineFreeUs_, nowUs());
    for (int i = 0; i < count; ++i) {
        auto offset = static_cast<std::uint64_t>(std::llround((i + 1) * byteTimeUs_));
        sent_.push_back({start + offset, static_cast<char>(data[i])});
    }
    sendLineFreeUs_ = sent_.back().onWireUs;
    return count;
}

bool VirtualLineBackend::drain(int timeoutMs) {
    deliverSent(nowUs());
    if (sent_.empty()) return true;
    std::uint64_t limitUs = nowUs() + std::uint64_t(std::max(timeoutMs, 0)) * 1000;
    advanceTo(std::min(limitUs, sent_.back().onWireUs));
    return sent_.empty();
}

int VirtualLineBackend::read(std::uint8_t* buffer, int count) {
    if (!open_ || count <= 0) return open_ ? 0 : -1;
    deliverSent(nowUs());
    std::string bytes = replies_.takeArrived(nowUs(), static_cast<std::size_t>(count));
    std::copy(bytes.begin(), bytes.end(), buffer);
    return static_cast<int>(bytes.size());
}

// Nothing else can happen while the port waits, so bytes that will be on the wire within the
// wait can be handed to the network now; their replies are stamped from their own times.
bool VirtualLineBackend::waitReadable(int timeoutMs) {
    if (!open_) return false;
    std::uint64_t limitUs = nowUs() + std::uint64_t(std::max(timeoutMs, 0)) * 1000;
    deliverSent(limitUs);
    if (replies_.arrivedBy(nowUs()) > 0) return true;
    if (!replies_.empty() && replies_.nextArrivalUs() <= limitUs) {
        advanceTo(replies_.nextArrivalUs());
        return true;
    }
    advanceTo(limitUs);
    return false;
}

} // namespace sim
