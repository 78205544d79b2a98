#pragma once
// A capture played back as the bus it recorded: each request the tool sends is matched with
// the next recorded one on its address and command (the sequence number and the CRC must
// differ, and are left out), and answered with the bytes the tool read then, every good frame
// in them re-stamped with the sequence number the tool uses now. A request that does not match
// is a divergence: it and everything after it is answered with nothing.
//
// Attempt repeats are normalised: a request the tool sends again beyond the recorded repeats
// is answered with nothing, as its lost attempt was; recorded repeats the tool no longer makes
// are passed over.

#include "link/captureFile.h"
#include "sim/faultyReply.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace sim {

class ReplayScript {
public:
    // fast: every reply at once, without the recorded delays.
    ReplayScript(const capture::Capture& recording, bool fast);

    // The replies to one frame from the tool; nothing when the recorded line was lost there
    // (the line is then cut).
    std::optional<std::vector<OutgoingReply>> answer(const std::string& frame);

    // Where and how the tool first went its own way: "request 57: recorded 0101 E3 page 0x0400
    // (128 bytes), sent 0101 E3 page 0x0440 (128 bytes)".
    const std::optional<std::string>& divergence() const { return divergence_; }
    std::size_t requestsReceived() const { return received_; }
    std::size_t requestsRecorded() const { return steps_.size(); }
    // Requests the tool sent beyond the recorded repeats, and recorded repeats it passed over.
    std::size_t extraRepeats() const { return extraRepeats_; }
    std::size_t skippedRepeats() const { return skippedRepeats_; }

private:
    struct Recorded {
        std::string bytes;
        std::uint32_t delayMs = 0;
    };
    struct Step {
        std::size_t line = 0;
        std::string frame, address, sequence, command;
        std::vector<Recorded> replies;
        bool lineLost = false; // the port failed while the tool waited
    };
    bool sameRequest(const Step& a, const Step& b) const;
    bool matches(const Step& step, const std::string& address, const std::string& command) const;
    std::optional<std::vector<OutgoingReply>> replay(const Step& step,
                                                     const std::string& sequence) const;
    void diverge(const std::string& how);

    std::vector<Step> steps_;
    bool fast_;
    std::size_t next_ = 0;
    std::size_t received_ = 0;
    std::size_t extraRepeats_ = 0;
    std::size_t skippedRepeats_ = 0;
    std::optional<std::string> divergence_;
};

// The good frames of bytes ('%' … carriage return, their CRC right) with their sequence number
// moved by shift and their CRC made again; noise and damaged frames are left as they were.
std::string restamped(const std::string& bytes, std::uint16_t shift);

} // namespace sim
