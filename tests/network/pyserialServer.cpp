#include "pyserialServer.h"
#include "listeningPort.h"

#include "ser2netServer.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr char kPython[] = "/usr/bin/python3";
constexpr char kExample[] = "/usr/share/doc/python3-serial/examples/rfc2217_server.py";
const std::string kWrapper =
    std::string(NEXALO_SOURCE_DIR) + "/tests/network/rfc2217ServerOnPty.py";

} // namespace

std::string PyserialRfc2217Server::missing() {
    if (access(kPython, X_OK) != 0) return std::string(kPython) + " is not installed";
    if (access(kExample, R_OK) != 0)
        return std::string(kExample) +
               " is missing: install python3-serial (scripts/setup.sh does, apt-get install "
               "python3-serial)";
    return {};
}

PyserialRfc2217Server::~PyserialRfc2217Server() {
    kill();
}

bool PyserialRfc2217Server::start(const std::filesystem::path& folder, const std::string& device) {
    error_ = missing();
    if (!error_.empty()) return false;
    port_ = freeLoopbackPort();
    log_ = folder / "rfc2217_server.log";
    const int logFd = open(log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const std::string port = std::to_string(port_);
    std::fflush(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        dup2(logFd, STDOUT_FILENO);
        dup2(logFd, STDERR_FILENO);
        execl(kPython, "python3", kWrapper.c_str(), device.c_str(), "-p", port.c_str(), nullptr);
        _exit(127);
    }
    if (logFd >= 0) close(logFd);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (listeningOn(port_)) return true;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            error_ = "the RFC 2217 example server ended at start: " + log();
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    error_ = "the RFC 2217 example server did not listen within 10 s: " + log();
    return false;
}

void PyserialRfc2217Server::kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

std::string PyserialRfc2217Server::log() const {
    std::ifstream file(log_);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

bool PyserialRfc2217Server::awaitDisconnections(int count) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        const std::string text = log();
        int seen = 0;
        for (auto at = text.find("Disconnected"); at != std::string::npos;
             at = text.find("Disconnected", at + 1))
            ++seen;
        if (seen >= count) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}
