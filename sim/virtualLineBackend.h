#pragma once
// The simulated network as a serial device in virtual time: plugged into TSerialPort in place
// of the termios backend, sharing the test's VirtualClock. Bytes the port writes reach the
// network when their last bit is on the wire; replies become readable when theirs has
// arrived, at the line rate the port configured. Waiting moves the clock straight to the next
// arrival, so twenty seconds of time-outs take milliseconds.

#include "link/clock.h"
#include "link/platform/serialBackend.h"
#include "sim/networkSimulator.h"
#include "sim/replyLine.h"

#include <cstdint>
#include <deque>

namespace sim {

class VirtualLineBackend : public SerialBackend {
public:
    VirtualLineBackend(VirtualClock& clock, NetworkSimulator& network);

    bool open(const std::string& device) override;
    void close() override;
    bool isOpen() const override { return open_; }

    bool configure(const LineSettings& settings) override;
    void purge(bool input, bool output) override;
    bool setDtr(bool) override { return true; }
    std::optional<ModemSignals> modemSignals() override { return ModemSignals{}; }

    int bytesWaiting() override;
    int outputQueued() override;
    int write(const std::uint8_t* data, int count) override;
    bool drain(int timeoutMs) override;
    int read(std::uint8_t* buffer, int count) override;
    bool waitReadable(int timeoutMs) override;

    std::uint32_t baud() const { return baud_; }

private:
    struct SentByte {
        std::uint64_t onWireUs; // when its last bit has left
        char byte;
    };
    std::uint64_t nowUs() const { return clock_.nowMs() * 1000; }
    // Hands the network every sent byte that is on the wire by then.
    void deliverSent(std::uint64_t byUs);
    void advanceTo(std::uint64_t us);

    VirtualClock& clock_;
    NetworkSimulator& network_;
    bool open_ = false;
    std::uint32_t baud_ = 38400;
    double byteTimeUs_ = 0;
    std::deque<SentByte> sent_;
    std::uint64_t sendLineFreeUs_ = 0;
    FrameAssembler assembler_;
    ReplyLine replies_;
};

} // namespace sim
