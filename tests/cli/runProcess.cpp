#include "runProcess.h"

#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string readAndRemove(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    unlink(path.c_str());
    return text.str();
}

} // namespace

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& workingFolder,
                         const std::function<void(pid_t)>& whileRunning, int inputFd, int errorFd) {
    char outPath[] = "/tmp/nexalo-out-XXXXXX";
    char errPath[] = "/tmp/nexalo-err-XXXXXX";
    const int outFd = mkstemp(outPath);
    const int errFd = mkstemp(errPath);
    const pid_t child = fork();
    if (child == 0) {
        if (chdir(workingFolder.c_str()) != 0) _exit(127);
        if (inputFd >= 0) dup2(inputFd, STDIN_FILENO);
        dup2(outFd, STDOUT_FILENO);
        dup2(errorFd >= 0 ? errorFd : errFd, STDERR_FILENO);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(outFd);
    close(errFd);
    if (whileRunning) whileRunning(child);
    int status = 0;
    waitpid(child, &status, 0);
    ProcessResult result;
    if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
    result.out = readAndRemove(outPath);
    result.err = readAndRemove(errPath);
    return result;
}
