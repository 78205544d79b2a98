#include "ser2netServer.h"
#include "listeningPort.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

std::string programPath() {
    for (const char* folder : {"/usr/sbin", "/usr/bin", "/usr/local/sbin", "/usr/local/bin"}) {
        const std::string path = std::string(folder) + "/ser2net";
        if (access(path.c_str(), X_OK) == 0) return path;
    }
    return {};
}

std::string connection(const std::string& name, const std::string& accepter,
                       const std::string& device, const std::vector<std::string>& options) {
    std::string text = "connection: &" + name + "\n  accepter: " + accepter +
                       "\n  connector: serialdev," + device + ",38400n81,local\n";
    if (!options.empty()) text += "  options:\n";
    for (const std::string& option : options)
        text += "    " + option + "\n";
    return text;
}

} // namespace

bool Ser2net::installed() {
    return !programPath().empty();
}

std::uint16_t freeLoopbackPort() {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

Ser2net::~Ser2net() {
    kill();
}

bool Ser2net::start(const std::filesystem::path& folder, const std::string& rawDevice,
                    const std::string& telnetDevice) {
    const std::string program = programPath();
    if (program.empty()) {
        error_ = "ser2net is not installed";
        return false;
    }
    std::string yaml;
    if (!rawDevice.empty()) {
        rawPort_ = freeLoopbackPort();
        yaml += connection("raw", "tcp,127.0.0.1," + std::to_string(rawPort_), rawDevice, options_);
    }
    if (!telnetDevice.empty()) {
        telnetPort_ = freeLoopbackPort();
        yaml += connection("telnet", "telnet(rfc2217),tcp,127.0.0.1," + std::to_string(telnetPort_),
                           telnetDevice, options_);
    }
    const std::string config = (folder / "ser2net.yaml").string();
    std::ofstream(config) << yaml;
    const std::string log = (folder / "ser2net.log").string();
    const int logFd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    std::fflush(nullptr); // the child must not write out what this process has buffered
    pid_ = fork();
    if (pid_ == 0) {
        // Its own log, so that the test's output stays readable; no UUCP lock files.
        dup2(logFd, STDOUT_FILENO);
        dup2(logFd, STDERR_FILENO);
        execl(program.c_str(), "ser2net", "-n", "-u", "-c", config.c_str(), nullptr);
        _exit(127);
    }
    if (logFd >= 0) close(logFd);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if ((rawPort_ == 0 || listeningOn(rawPort_)) &&
            (telnetPort_ == 0 || listeningOn(telnetPort_)))
            return true;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            error_ = "ser2net ended at start; see " + log;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    error_ = "ser2net did not listen within 10 s; see " + log;
    return false;
}

void Ser2net::kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}
