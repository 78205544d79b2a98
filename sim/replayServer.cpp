#include "sim/replayServer.h"

#include <cstdio>

namespace sim {

ReplayServer::ReplayServer(const capture::Capture& recording, bool fast, std::string divergenceFile)
    : script_(recording, fast), divergenceFile_(std::move(divergenceFile)) {}

FrameHandler ReplayServer::handler() {
    return [this](const std::string& frame, std::uint64_t) {
        std::optional<std::vector<OutgoingReply>> replies = script_.answer(frame);
        if (script_.divergence() && !told_) tellDivergence();
        return replies;
    };
}

void ReplayServer::tellDivergence() {
    told_ = true;
    diverged_ = true;
    const std::string& how = *script_.divergence();
    std::fprintf(stderr, "nexalo-sim: divergence at %s\n", how.c_str());
    std::fflush(stderr);
    if (divergenceFile_.empty()) return;
    if (std::FILE* file = std::fopen(divergenceFile_.c_str(), "wb")) {
        std::fprintf(file, "%s\n", how.c_str());
        std::fclose(file);
    }
}

std::string ReplayServer::summary() const {
    std::string text = "replayed " + std::to_string(script_.requestsReceived()) + " of " +
                       std::to_string(script_.requestsRecorded()) + " recorded requests";
    if (script_.extraRepeats() > 0)
        text += ", " + std::to_string(script_.extraRepeats()) + " repeated beyond the recording";
    if (script_.skippedRepeats() > 0)
        text += ", " + std::to_string(script_.skippedRepeats()) + " recorded repeats not made";
    if (script_.divergence()) text += "; diverged at " + *script_.divergence();
    return text;
}

} // namespace sim
