// "nexalo-cli versions" run as a process in a folder of firmware files made by srec_cat.

#include "imageTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <sys/wait.h>

namespace {

struct ProcessResult {
    int status = -1;
    std::vector<std::string> lines;
};

ProcessResult RunCli(const std::string& arguments) {
    ProcessResult result;
    const std::string command = std::string(NEXALO_CLI_PATH) + " " + arguments + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    std::string output;
    char buffer[512];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    const int wait = pclose(pipe);
    result.status = WIFEXITED(wait) ? WEXITSTATUS(wait) : -1;
    std::istringstream text(output);
    for (std::string line; std::getline(text, line);)
        result.lines.push_back(line);
    return result;
}

TEST(CliVersions, PrintsTheReportOfTheWorkingFolder) {
    WorkingFolder folder;
    MakeHexApplication("Host-K2.hex", 1, 10);
    MakeHexApplication("Terminal-K2.hex", 2, 5);
    MakeSRecordApplication("Terminal-P9.S28", 9, 1);
    MakeSRecordApplication("Terminal-P1.S28", 0, 99);
    const ProcessResult result = RunCli("versions");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.lines,
              (std::vector<std::string>{"Application File Versions:", "V2.05  Terminal-K2.hex",
                                        "V0.99  Terminal-P1.S28", "V1.10  Host-K2.hex",
                                        "V9.01  Terminal-P9.S28", ""}));
}

TEST(CliVersions, FileOptionReportsThatFileOnly) {
    WorkingFolder folder;
    MakeHexApplication("Host-K2.hex", 1, 10);
    MakeHexApplication("chosen.HEX", 7, 3);
    ProcessResult result = RunCli("versions --file chosen.HEX");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.lines,
              (std::vector<std::string>{"Application File Versions:", "V7.03  chosen.HEX"}));
    result = RunCli("versions --file absent.hex");
    EXPECT_EQ(result.lines, (std::vector<std::string>{"Application File Versions:"}));
}

TEST(CliVersions, HelpAndUsageErrors) {
    WorkingFolder folder;
    ProcessResult result = RunCli("versions --help");
    EXPECT_EQ(result.status, 0);
    ASSERT_FALSE(result.lines.empty());
    EXPECT_NE(result.lines[0].find("&File Versions"), std::string::npos);
    EXPECT_EQ(RunCli("versions --bogus").status, 2);
    EXPECT_EQ(RunCli("versions --file").status, 2);
}

} // namespace
