#pragma once
// One served line on the real clock: requests assembled byte by byte, each answered by the
// network once its last character is in, replies released at their wire time. The
// pseudo-terminal and the TCP socket serve through it alike.

#include "sim/networkSimulator.h"
#include "sim/replyLine.h"
#include "sim/requestFrame.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// Something other than the network that answers the frames of a served line (a replay of a
// capture): the replies to a frame that came in at nowMs; nothing when the line is cut there.
using FrameHandler = std::function<std::optional<std::vector<OutgoingReply>>(
    const std::string& frame, std::uint64_t nowMs)>;

struct PtyOptions {
    std::uint32_t baud = 0;      // pace every sent byte at this line rate; 0: no pacing
    std::uint32_t latencyMs = 0; // added to every reply
};

class ServedLine {
public:
    // The network's replies to a frame at a time in ms; nothing when the line was cut there.
    using Answer =
        std::function<std::optional<std::vector<OutgoingReply>>(const std::string&, std::uint64_t)>;

    explicit ServedLine(PtyOptions options);
    // Forgets what was half received or still on its way (a new device or connection).
    void reset();
    // Takes bytes received at nowUs; false when answer cut the line (the rest is dropped).
    bool receive(const char* data, std::size_t count, std::uint64_t nowUs, const Answer& answer);
    // The reply bytes whose time has come; what the device did not take goes back.
    std::string takeDue(std::uint64_t nowUs) { return line_.takeArrived(nowUs, 4096); }
    void giveBack(const std::string& bytes, std::uint64_t nowUs) { line_.giveBack(bytes, nowUs); }
    // How long the serving loop may sleep before something is due, capped at idleUs.
    std::uint64_t waitUs(std::uint64_t nowUs, std::uint64_t idleUs) const;

private:
    PtyOptions options_;
    FrameAssembler assembler_;
    ReplyLine line_;
    // The request's own wire time: a unit cannot answer before the last character is in.
    double requestByteUs_ = 0;
    std::uint64_t requestLineFreeUs_ = 0;
};

// Microseconds on the steady clock.
std::uint64_t steadyUs();

} // namespace sim
