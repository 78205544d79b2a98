#include "serialPort.h"

#include <algorithm>

// The background receive path. The tool suspends it before its transactions, because bytes
// taken here never reach the reply wait.
void TSerialPort::PollTimerTick() {
    if (!open_ || !pollTimerRunning_ || suspendCount_ > 0) return;
    const std::uint64_t now = clock_.nowMs();
    if (now - lastPollTick_ < pollingDelay_) return;
    lastPollTick_ = now;
    const int waiting = std::max(backend_->bytesWaiting(), 0);
    if (packetSize_ > 0) {
        takePackets(waiting);
        return;
    }
    if (waiting == 0 || receiveBuffer_.empty()) return;
    const int size = std::min<int>(waiting, static_cast<int>(receiveBuffer_.size()));
    const int got = backend_->read(receiveBuffer_.data(), size);
    if (got > 0 && onReceiveData_)
        onReceiveData_(onReceiveDataContext_, receiveBuffer_.data(), got);
}

void TSerialPort::takePackets(int waiting) {
    const int packet = std::min<int>(packetSize_, static_cast<int>(receiveBuffer_.size()));
    while (waiting >= packet) {
        const int got = backend_->read(receiveBuffer_.data(), packet);
        if (got <= 0) return;
        if (onReceivePacket_) onReceivePacket_(onReceivePacketContext_, receiveBuffer_.data(), got);
        waiting -= got;
        packetStart_ = -1;
    }
    if (waiting == 0) return;
    const std::int64_t now = static_cast<std::int64_t>(clock_.nowMs());
    if (packetStart_ < 0) {
        packetStart_ = now;
        return;
    }
    if (packetTimeout_ <= 0 || now - packetStart_ <= packetTimeout_) return;
    const int got = backend_->read(receiveBuffer_.data(), waiting);
    if (got > 0 && packetMode_ == pmPass && onReceivePacket_)
        onReceivePacket_(onReceivePacketContext_, receiveBuffer_.data(), got);
    packetStart_ = -1;
}
