// nexalo-sim as a process: it prints its device, links it, serves, and cleans up on SIGTERM.

#include "link/catalogue.h"
#include "link/linkSession.h"
#include "rawTcpClient.h"
#include "simTestSupport.h"

#include <filesystem>
#include <fstream>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace simtest;

namespace {

struct Process {
    pid_t pid = -1;
    int output = -1;
};

Process spawnSimulator(const std::vector<std::string>& arguments) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    std::vector<char*> argv{const_cast<char*>(NEXALO_SIM_PROGRAM)};
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    Process process;
    if (posix_spawn(&process.pid, NEXALO_SIM_PROGRAM, &actions, nullptr, argv.data(), environ) != 0)
        process.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    process.output = pipeEnds[0];
    return process;
}

std::string firstLine(int fd) {
    std::string line;
    char c;
    while (read(fd, &c, 1) == 1 && c != '\n')
        line.push_back(c);
    return line;
}

int exitStatus(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SimulatorProgram, ServesThroughItsLinkUntilTerminated) {
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("nexalo-sim-program-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::string link = (dir / "COM3").string();
    Process sim = spawnSimulator({"--link", link, "--latency", "5",
                                  std::string(NEXALO_SOURCE_DIR) + "/sim/networks/demo.json"});
    ASSERT_GT(sim.pid, 0);
    std::string device = firstLine(sim.output);
    ASSERT_FALSE(device.empty());
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), device);

    SilentConsole console;
    LinkSession session(console);
    TSerialPort& port = session.port();
    configureForTool(port);
    port.setDevicePath(link);
    ASSERT_TRUE(port.OpenPort());
    Transaction& transaction = session.link();
    std::string reply;
    reply = transaction.TxMessage("0100", cmd::StatusPoll, 500, 0).text;
    EXPECT_EQ(reply.size(), 21u);
    reply = transaction.TxMessage("7F00", cmd::UnitInfo, 500, 0).text;
    EXPECT_GT(reply.size(), 40u);
    port.ClosePort();

    kill(sim.pid, SIGTERM);
    EXPECT_EQ(exitStatus(sim.pid), 0);
    EXPECT_FALSE(std::filesystem::is_symlink(link));
    close(sim.output);
    std::filesystem::remove_all(dir);
}

TEST(SimulatorProgram, UsageAndFileErrorsEndAtOnce) {
    Process noFile = spawnSimulator({"--baud", "9600"});
    EXPECT_EQ(exitStatus(noFile.pid), 2);
    Process badBaud = spawnSimulator({"--baud", "fast", "x.json"});
    EXPECT_EQ(exitStatus(badBaud.pid), 2);
    Process missing = spawnSimulator({"/nonexistent/network.json"});
    EXPECT_EQ(exitStatus(missing.pid), 1);
    Process badListen = spawnSimulator({"--listen", "tcp:70000", "x.json"});
    EXPECT_EQ(exitStatus(badListen.pid), 2);
    Process both = spawnSimulator({"--link", "COM3", "--listen", "tcp:0", "x.json"});
    EXPECT_EQ(exitStatus(both.pid), 2);
    for (Process p : {noFile, badBaud, missing, badListen, both})
        close(p.output);
}

TEST(SimulatorProgram, ServesOverTcpAtTheAddressItPrints) {
    Process sim = spawnSimulator(
        {"--listen", "tcp:0", std::string(NEXALO_SOURCE_DIR) + "/sim/networks/demo.json"});
    ASSERT_GT(sim.pid, 0);
    std::string address = firstLine(sim.output);
    const std::string prefix = "tcp://127.0.0.1:";
    ASSERT_EQ(address.rfind(prefix, 0), 0u) << address;
    {
        RawTcpClient client(static_cast<std::uint16_t>(std::stoi(address.substr(prefix.size()))));
        ASSERT_TRUE(client.send(request("0100", cmd::StatusPoll) + "\r"));
        EXPECT_EQ(client.frame().size(), 21u);
    }
    kill(sim.pid, SIGTERM);
    EXPECT_EQ(exitStatus(sim.pid), 0);
    close(sim.output);
}

} // namespace
