#pragma once
// nexalo-sim as a process of its own, serving a network behind a link in a working folder at a
// paced line rate: the benchmark's own CPU time is then the engine's alone.

#include <signal.h>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

class SimProcess {
public:
    SimProcess(const std::string& folder, const std::string& link, const std::string& network,
               unsigned baud)
        : link_(folder + "/" + link) {
        std::filesystem::remove(link_);
        // What the benchmark has printed but not yet written must not be written twice.
        std::fflush(nullptr);
        pid_ = fork();
        if (pid_ == 0) {
            if (chdir(folder.c_str()) != 0) _exit(127);
            const std::string rate = std::to_string(baud);
            std::freopen("/dev/null", "w", stdout);
            execl(NEXALO_SIM_PATH, "nexalo-sim", "--link", link.c_str(), "--baud", rate.c_str(),
                  network.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 200 && !std::filesystem::is_symlink(link_); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ~SimProcess() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool serving() const { return pid_ > 0 && std::filesystem::is_symlink(link_); }
    const std::string& link() const { return link_; }

private:
    std::string link_;
    pid_t pid_ = -1;
};
