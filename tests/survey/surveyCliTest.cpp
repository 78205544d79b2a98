// "nexalo-cli survey --json" as a process against the simulated network behind COM1.

#include "sim/networkFile.h"
#include "sim/ptySimulator.h"
#include "tests/cli/runProcess.h"
#include "tests/support/workingFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>

namespace {

const char* kNetwork = R"({
  "controllers": [
    {"la": "05", "fixedAddress": "0001A2B3", "productId": 5, "version": "010A",
     "terminals": [
       {"la": "12", "fixedAddress": "00C0FFEE", "productId": 31, "version": "0105",
        "secondVersion": "0203"},
       {"la": "12", "fixedAddress": "00C0FFEF", "productId": 3}]},
    {"la": "06", "fixedAddress": "00000006", "productId": 27, "faults": {"answersStatusNotInfo": true}}]})";

TEST(CliSurvey, PrintsTheReportAndWritesTheNetworkFound) {
    WorkingFolder folder;
    sim::PtySimulator simulator(*sim::parseNetwork(kNetwork).network);
    ASSERT_TRUE(simulator.start((folder.path() / "COM1").string())) << simulator.error();

    const ProcessResult result =
        runProcess(NEXALO_CLI_PATH, {"survey", "--json", "net.json"}, folder.path().string());
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_NE(result.out.find("0001A2B3    05  1.10        Ok             05:"), std::string::npos)
        << result.out;
    EXPECT_EQ(result.out.substr(result.out.size() - 10), "Finished.\n");

    std::ifstream file(folder.path() / "net.json");
    const nlohmann::json network = nlohmann::json::parse(file, nullptr, false);
    ASSERT_FALSE(network.is_discarded());
    EXPECT_TRUE(network["host"].is_null());
    ASSERT_EQ(network["controllers"].size(), 2u);
    const auto& c = network["controllers"][0];
    EXPECT_EQ(c["la"], "05");
    EXPECT_EQ(c["fixedAddress"], "0001A2B3");
    EXPECT_EQ(c["version"], "1.10");
    EXPECT_EQ(c["status"], "ok");
    ASSERT_EQ(c["terminals"].size(), 2u);
    EXPECT_EQ(c["terminals"][0]["duplicate"], true);
    EXPECT_EQ(c["terminals"][0]["status"], "duplicate LA");
    EXPECT_EQ(c["terminals"][1]["fixedAddress"], "00C0FFEF");
    const auto& silent = network["controllers"][1];
    EXPECT_EQ(silent["status"], "comms error");
    EXPECT_TRUE(silent["version"].is_null());
    EXPECT_EQ(silent["productId"], 27);
}

} // namespace
