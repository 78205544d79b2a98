#pragma once
// A replay of a capture served for "nexalo-cli replay": nexalo-sim --replay FILE --fast on a
// pseudo-terminal, behind a link in a folder of the replay's own. POSIX only, as the simulator
// is; on Windows a replay is served by nexalo-sim elsewhere and given with --at.

#include <optional>
#include <string>

class ServedReplay {
public:
    ServedReplay() = default;
    ~ServedReplay(); // stops it
    ServedReplay(const ServedReplay&) = delete;
    ServedReplay& operator=(const ServedReplay&) = delete;

    // Serves capturePath behind a link in folder; false with the reason in error.
    bool start(const std::string& capturePath, const std::string& folder, std::string& error);
    // The port the tool opens: the link's path.
    const std::string& port() const { return link_; }
    // Ends the simulator; the first divergence it wrote, if any.
    std::optional<std::string> stop();

private:
    std::string link_, divergenceFile_;
    long process_ = -1;
};
