// The survey in virtual time: networks whose identification passes and time-outs would take
// minutes on the real clock.

#include "product/products.h"
#include "surveyFixture.h"
#include "tools/groupIdentification.h"
#include "tools/surveyLines.h"

#include <fstream>
#include <sstream>

using namespace surveytest;

namespace {

const std::string kHeader = surveyText::Header;

std::string line(const char* fixedAndLa, const char* version, const char* status, int product) {
    char id[8];
    std::snprintf(id, sizeof id, "%.2d", product);
    return std::string(fixedAndLa) + version + status + id + ":" + getProductName(product);
}

TEST(SurveyInVirtualTime, HostInUpgradeModeEndsTheSurveyAfterItsLine) {
    VirtualSurvey survey(R"({
      "host": {"position": "7F00", "fixedAddress": "00007F01", "productId": 18,
               "version": "1.05", "upgradeMode": true},
      "controllers": [{"la": "05", "fixedAddress": "0001A2B3", "productId": 5}]})");
    SurveyOutcome outcome = survey.run();
    EXPECT_EQ(outcome.host.kind, HostKind::hkReaderOrInterface);
    EXPECT_EQ(survey.lines(),
              (std::vector<std::string>{
                  ">> Registration Reader or Host Interface <<", kHeader,
                  line("00007F01    7F  ", "0.00        ", surveyStatus::UpgradeMode, 18),
                  "No Controllers can be detected in Upgrade Mode.", "", "Finished."}));
    // Nothing after the host: 7E00 and 007E are not asked, nor any controller.
    EXPECT_EQ(survey.network.network().frames.size(), 1u);
    EXPECT_FALSE(survey.port.IsOpen());
    EXPECT_EQ(survey.table->at(0, 0).la, 0x7F);
}

TEST(SurveyInVirtualTime, HostFoundLastOfThreeStillSkipsTheTerminalsOnTheBus) {
    VirtualSurvey survey(R"({
      "host": {"position": "007E", "fixedAddress": "00007E01", "productId": 19},
      "busTerminals": [{"la": "05", "fixedAddress": "30000005", "productId": 3}]})");
    SurveyOutcome outcome = survey.run();
    EXPECT_EQ(outcome.host.kind, HostKind::hkTagPilot);
    EXPECT_FALSE(outcome.busTerminalsAsked);
    const std::vector<std::string> expected = {
        ">> TAGPILOT <<",
        kHeader,
        line("00007E01    7E  ", "1.00        ", surveyStatus::Ok, 19),
        "",
        ">> CONTROLLERS <<",
        kHeader,
        "Total units: 0",
        "",
        "Finished."};
    EXPECT_EQ(survey.lines(), expected);
    const sim::Network& seen = survey.network.network();
    ASSERT_GE(seen.frames.size(), 3u);
    EXPECT_EQ(seen.frames[0].address, "7F00");
    EXPECT_EQ(seen.frames[1].address, "7E00");
    EXPECT_EQ(seen.frames[2].address, "007E");
}

// Duplicates among controllers and among one controller's terminals, a controller with LA 50
// (terminals cannot be listed), with LA 00 (counted, not shown), without LA, and one whose fixed
// address has its top bit set.
TEST(SurveyInVirtualTime, ReportShowsEveryKindOfControllerAndTerminalLine) {
    VirtualSurvey survey(R"({"controllers": [
      {"la": "03", "fixedAddress": "10000001", "productId": 5},
      {"la": "03", "fixedAddress": "10000002", "productId": 27},
      {"la": "50", "fixedAddress": "10000003", "productId": 28, "version": "2.01"},
      {"la": "00", "fixedAddress": "10000004", "productId": 50},
      {"la": "FF", "fixedAddress": "10000005", "productId": 5},
      {"la": "06", "fixedAddress": "90000006", "productId": 5, "version": "1.02",
       "terminals": [
         {"la": "07", "fixedAddress": "20000001", "productId": 3},
         {"la": "07", "fixedAddress": "20000002", "productId": 3},
         {"la": "45", "fixedAddress": "20000003", "productId": 3},
         {"la": "FF", "fixedAddress": "20000004", "productId": 3},
         {"la": "08", "fixedAddress": "20000005", "productId": 90, "version": "1.05",
          "secondVersion": "2.03"}]}]})");
    const std::string none = "----        ";
    SurveyOutcome outcome = survey.run();
    EXPECT_EQ(outcome.controllers, 6);
    EXPECT_EQ(survey.lines(),
              (std::vector<std::string>{
                  ">> CONTROLLERS <<",
                  kHeader,
                  line("10000001    03  ", none.c_str(), surveyStatus::DuplicateLa, 5),
                  line("10000002    03  ", none.c_str(), surveyStatus::DuplicateLa, 27),
                  line("10000003    50  ", "2.01        ", surveyStatus::Ok, 28),
                  line("10000005    FF  ", none.c_str(), surveyStatus::NoLa, 5),
                  line("90000006    06  ", "1.02        ", surveyStatus::Ok, 5),
                  "Total units: 6",
                  "",
                  "",
                  "[ Controller ]",
                  line("10000003    50  ", none.c_str(), surveyStatus::Ok, 28),
                  "No Terminals can be detected because LA is invalid.",
                  "Run Engine to autoid Terminals.",
                  "",
                  "[ Terminals on Controller 06 ]",
                  kHeader,
                  line("20000001    07  ", none.c_str(), surveyStatus::DuplicateLa, 3),
                  line("20000002    07  ", none.c_str(), surveyStatus::DuplicateLa, 3),
                  line("20000004    FF  ", none.c_str(), surveyStatus::NoLa, 3),
                  line("20000005    08  ", "1.05        ", surveyStatus::Ok, 90),
                  "Total units: 5",
                  "",
                  "Finished."}));
    // Units shown as duplicates are never asked; the terminal list went to 0600 only.
    for (const sim::ReceivedFrame& frame : survey.network.network().frames) {
        EXPECT_NE(frame.address, "0300");
        EXPECT_NE(frame.address, "0607");
        if (frame.command == "9403") {
            EXPECT_EQ(frame.address, "0600");
        }
    }
    EXPECT_TRUE(survey.table->at(1, 0).duplicate);
    EXPECT_TRUE(survey.table->at(6, 2).duplicate);
    EXPECT_EQ(survey.table->at(6, 5).secondVersion, 0x0203);
}

std::string terminalsJson(int count, int firstLa, const char* fixedPrefix) {
    std::ostringstream out;
    for (int i = 0; i < count; ++i) {
        char entry[128];
        std::snprintf(entry, sizeof entry,
                      R"(%s{"la": "%02X", "fixedAddress": "%s%04X", "productId": 3})", i ? "," : "",
                      firstLa > 0 ? firstLa + i : 0xFF, fixedPrefix, i + 1);
        out << entry;
    }
    return out.str();
}

TEST(SurveyInVirtualTime, TerminalListsLongerThanTheTableOrShorterThanAnnounced) {
    // Controller 01 lists 66 terminals, two more than its row holds; controller 02 announces
    // five terminals and sends two.
    VirtualSurvey survey(R"({"controllers": [
      {"la": "01", "fixedAddress": "10000001", "terminals": [)" +
                         terminalsJson(64, 1, "2000") + "," + terminalsJson(2, 0, "2100") +
                         R"(]},
      {"la": "02", "fixedAddress": "10000002", "faults": {"announcedListCount": 5},
       "terminals": [)" + terminalsJson(2, 1, "3000") +
                         "]}]}");
    survey.run();
    const auto& lines = survey.lines();
    EXPECT_EQ(countLines(lines, "Total units: 66"), 1);
    EXPECT_EQ(countLines(lines, "Total units: 5"), 1);
    // The two beyond the row are shown (LA FF) though not stored.
    EXPECT_TRUE(hasLine(lines, line("21000002    FF  ", "----        ", surveyStatus::NoLa, 3)));
    EXPECT_EQ(survey.table->at(1, 64).fixedAddress, 0x20000040);
    EXPECT_EQ(survey.table->at(1, 64).status, surveyStatus::Ok);
    // The missing three read as LA 00: counted, not shown, not asked, stored empty.
    EXPECT_TRUE(hasLine(lines, line("30000002    02  ", "1.00        ", surveyStatus::Ok, 3)));
    EXPECT_EQ(survey.table->at(2, 2).fixedAddress, 0x30000002);
    EXPECT_FALSE(survey.table->at(2, 3).occupied());
    EXPECT_EQ(survey.lines().back(), "Finished.");
}

long acknowledgementsOf(const sim::Network& network, const char* fixed) {
    return framesStartingWith(network, std::string("03") + fixed);
}

TEST(SurveyInVirtualTime, ControllerIsAcknowledgedEveryPassUntilItConfirms) {
    VirtualSurvey survey(R"({"controllers": [
      {"la": "01", "fixedAddress": "10000001"},
      {"la": "02", "fixedAddress": "10000002", "faults": {"ignoreAcknowledges": 3}}]})");
    SurveyOutcome outcome = survey.run();
    const sim::Network& seen = survey.network.network();
    EXPECT_EQ(acknowledgementsOf(seen, "10000001"), 1);
    EXPECT_EQ(acknowledgementsOf(seen, "10000002"), 4);
    // Four passes with a reply, then two quiet ones, between two "06".
    EXPECT_EQ(framesStartingWith(seen, "0200FF"), 6);
    std::vector<std::string> toAll;
    for (const sim::ReceivedFrame& frame : seen.frames)
        if (frame.address == "FF00") toAll.push_back(frame.command.substr(0, 2));
    ASSERT_FALSE(toAll.empty());
    EXPECT_EQ(toAll.front(), "06");
    EXPECT_EQ(toAll.back(), "06");
    EXPECT_EQ(std::count(toAll.begin(), toAll.end(), "06"), 2);
    EXPECT_EQ(outcome.controllers, 2);
    EXPECT_FALSE(outcome.identifyGaveUp);
}

TEST(SurveyInVirtualTime, ControllerThatNeverConfirmsKeepsThePassesGoingUpToTheLimit) {
    VirtualSurvey survey(R"({"controllers": [
      {"la": "02", "fixedAddress": "10000002", "faults": {"neverAcknowledge": true}}]})");
    SurveyOutcome outcome = survey.run();
    const sim::Network& seen = survey.network.network();
    EXPECT_TRUE(outcome.identifyGaveUp);
    EXPECT_EQ(framesStartingWith(seen, "0200FF"), kIdentifyPassLimit);
    EXPECT_EQ(acknowledgementsOf(seen, "10000002"), kIdentifyPassLimit);
    EXPECT_TRUE(hasLine(survey.lines(), identifyGaveUpLine(kIdentifyPassLimit)));
    EXPECT_TRUE(hasLine(survey.lines(), "Total units: 1"));
    EXPECT_EQ(survey.lines().back(), "Finished.");
}

TEST(SurveyInVirtualTime, TerminalOnTheBusIsAcknowledgedOncePerSurvey) {
    VirtualSurvey survey(R"({"busTerminals": [
      {"la": "05", "fixedAddress": "30000005", "productId": 3, "faults": {"ignoreAcknowledges": 1}},
      {"la": "06", "fixedAddress": "30000006", "productId": 3}]})");
    SurveyOutcome outcome = survey.run();
    const sim::Network& seen = survey.network.network();
    // The first terminal answers the identification again after its one acknowledgement:
    // no second one comes, so it answers every pass.
    EXPECT_EQ(acknowledgementsOf(seen, "30000005"), 1);
    EXPECT_EQ(acknowledgementsOf(seen, "30000006"), 1);
    EXPECT_TRUE(outcome.busTerminalsAsked);
    EXPECT_EQ(outcome.busTerminals, 2);
    EXPECT_TRUE(hasLine(survey.lines(), ">> TERMINALS <<"));
    EXPECT_TRUE(
        hasLine(survey.lines(), line("30000005    05  ", "1.00        ", surveyStatus::Ok, 3)));
    // Each survey starts the count afresh.
    survey.run();
    EXPECT_EQ(acknowledgementsOf(survey.network.network(), "30000005"), 2);
}

TEST(SurveyInVirtualTime, LargeNetworkListsAllControllersAndTerminals) {
    std::ifstream file(NEXALO_SOURCE_DIR "/sim/networks/large.json");
    std::stringstream json;
    json << file.rdbuf();
    VirtualSurvey survey(json.str());
    SurveyOutcome outcome = survey.run();
    EXPECT_EQ(outcome.controllers, 64);
    long okLines =
        std::count_if(survey.lines().begin(), survey.lines().end(), [](const std::string& l) {
            return l.find(surveyStatus::Ok) != std::string::npos;
        });
    EXPECT_EQ(okLines, 128);
    EXPECT_EQ(countLines(survey.lines(), "Total units: 64"), 2);
    for (int row = 1; row <= 64; ++row) {
        EXPECT_EQ(survey.table->at(row, 0).la, row) << row;
        EXPECT_TRUE(survey.table->at(1, row).occupied()) << row;
    }
    EXPECT_EQ(survey.lines().back(), "Finished.");
}

} // namespace
