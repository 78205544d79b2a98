#include "../servedReplay.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kStartChecks = 500; // of 10 ms: the simulator makes its link at once
constexpr char kSimulatorName[] = "nexalo-sim";
constexpr int kSettleMs = 50;

// NEXALO_SIM when set; else the simulator beside this program, or in the build tree's sim
// folder beside its cli folder; else the one on PATH.
std::string simulatorProgram() {
    if (const char* given = std::getenv("NEXALO_SIM"); given != nullptr && *given != '\0')
        return given;
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        for (const std::filesystem::path& candidate :
             {self.parent_path() / kSimulatorName,
              self.parent_path().parent_path() / "sim" / kSimulatorName})
            if (std::filesystem::exists(candidate, error)) return candidate.string();
    }
    return kSimulatorName;
}

} // namespace

ServedReplay::~ServedReplay() {
    stop();
}

bool ServedReplay::start(const std::string& capturePath, const std::string& folder,
                         std::string& error) {
    link_ = (std::filesystem::path(folder) / "replay-link").string();
    divergenceFile_ = (std::filesystem::path(folder) / "divergence.txt").string();
    const std::string program = simulatorProgram();
    std::vector<std::string> arguments = {kSimulatorName, "--link",       link_,
                                          "--replay",     capturePath,    "--fast",
                                          "--divergence", divergenceFile_};
    std::fflush(nullptr); // nothing printed so far is written twice by the child
    const pid_t child = fork();
    if (child < 0) {
        error = "cannot start " + program;
        return false;
    }
    if (child == 0) {
        // Its device path and its summary are not the operator's business: the divergence
        // comes back in its file.
        if (std::freopen("/dev/null", "w", stdout) == nullptr ||
            std::freopen("/dev/null", "w", stderr) == nullptr)
            _exit(127);
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        execvp(program.c_str(), argv.data());
        _exit(127);
    }
    process_ = child;
    for (int i = 0; i < kStartChecks; ++i) {
        if (std::filesystem::is_symlink(link_)) return true;
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            process_ = -1;
            error = program + " did not serve the replay (exit status " +
                    std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + ")";
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    error = program + " did not serve the replay in time";
    stop();
    return false;
}

std::optional<std::string> ServedReplay::stop() {
    if (process_ > 0) {
        // The run's last request is often a broadcast it does not wait on: taken in before the
        // replay ends, so that a divergence there is seen too.
        std::this_thread::sleep_for(std::chrono::milliseconds(kSettleMs));
        kill(static_cast<pid_t>(process_), SIGTERM);
        waitpid(static_cast<pid_t>(process_), nullptr, 0);
        process_ = -1;
    }
    std::ifstream file(divergenceFile_);
    std::string line;
    if (file && std::getline(file, line) && !line.empty()) return line;
    return std::nullopt;
}
