// The maintenance commands end to end: the frames that reach the simulated units, what the
// units then hold, and the outcome the operator is shown.

#include "tools/maintenance.h"
#include "diagnosticsFixture.h"
#include "link/operation.h"

using namespace diagtest;

namespace {

const char* kNetwork = R"({
  "controllers": [
    { "name": "c1", "la": "01", "fixedAddress": "10000001", "productId": 5,
      "terminals": [ { "name": "t1", "la": "01", "fixedAddress": "20000101", "productId": 3 } ] },
    { "name": "c2", "la": "02", "fixedAddress": "10000002", "productId": 5, "refusePort2": true,
      "faults": { "laChangeFailure": "02" } }
  ]
})";

std::vector<std::string> messageTexts(const RecordingConsole& console) {
    std::vector<std::string> texts;
    for (const auto& m : console.messages)
        texts.push_back(m.text);
    return texts;
}

using Texts = std::vector<std::string>;

class MaintenanceOnPty : public OnPty {
protected:
    void SetUp() override { startNetwork(kNetwork); }
};

class MaintenanceInVirtualTime : public InVirtualTime {
protected:
    void SetUp() override { startNetwork(kNetwork); }
};

} // namespace

TEST_F(MaintenanceOnPty, TerminalTakesItsNewLaAndIsAskedThere) {
    const auto outcome = setLogicalAddress(context(), {false, "20000101", "0105"});
    EXPECT_EQ(outcome, Outcome::completed());
    EXPECT_EQ(frames(), (std::vector<SentFrame>{{"01FF", "042000010105"}, {"0105", "01"}}));
    EXPECT_EQ(unit("t1").la, 0x05);
    EXPECT_EQ(messageTexts(console), Texts{"Done!"});
    EXPECT_FALSE(port().IsOpen());
}

TEST_F(MaintenanceOnPty, ControllerLaChangeReportedWithAFailureBitFails) {
    EXPECT_EQ(setLogicalAddress(context(), {true, "10000002", "07"}),
              Outcome::failed(maintenanceText::Failed));
    EXPECT_EQ(frames(), (std::vector<SentFrame>{{"FF00", "041000000207"}, {"0700", "01"}}));
    EXPECT_EQ(unit("c2").la, 0x07);
    EXPECT_EQ(messageTexts(console), Texts{"Failed!"});
}

TEST_F(MaintenanceOnPty, AVerificationAddressHoldingFFIsNotAsked) {
    // Controller LA FF gives FF00; terminal 0F then F0 gives 0FF0, "FF" across the pairs.
    EXPECT_EQ(setLogicalAddress(context(), {true, "10000001", "FF"}), Outcome::completed());
    EXPECT_EQ(setLogicalAddress(context(), {false, "ABCDEF01", "0FF0"}), Outcome::completed());
    EXPECT_EQ(frames(),
              (std::vector<SentFrame>{{"FF00", "0410000001FF"}, {"0FFF", "04ABCDEF01F0"}}));
    EXPECT_EQ(messageTexts(console), (Texts{"Done!", "Done!"}));
}

TEST_F(MaintenanceOnPty, MessageLinesAreEscapedAndQuoted) {
    const DefaultMessageSettings settings{
        "01", {R"(Say "hi" \ bye  )", std::string(16, ' '), R"(C:\DOORS\"A"    )"}};
    EXPECT_EQ(setDefaultMessage(context(), settings), Outcome::completed());
    const std::string expected =
        R"(38"Say \"hi\" \\ bye  ","                ","C:\\DOORS\\\"A\"    ")";
    EXPECT_EQ(frames(2), (std::vector<SentFrame>{{"0100", expected}, {"01FF", expected}}));
    EXPECT_EQ(unit("c1").message,
              (std::vector<std::string>{settings.lines.begin(), settings.lines.end()}));
    EXPECT_EQ(unit("t1").rawMessage, expected.substr(2));
    EXPECT_TRUE(console.messages.empty());
}

TEST_F(MaintenanceOnPty, SecondPortModeDoneOrRefused) {
    EXPECT_EQ(configurePort2(context(), {"01", false}), Outcome::completed());
    EXPECT_EQ(unit("c1").port2Mode, 0);
    EXPECT_EQ(configurePort2(context(), {"02", true}), Outcome::failed(maintenanceText::Failed));
    EXPECT_EQ(frames(), (std::vector<SentFrame>{{"0100", "2D0"}, {"0200", "2D1"}}));
    EXPECT_EQ(messageTexts(console), (Texts{"Done!", "Failed!"}));
}

TEST_F(MaintenanceOnPty, ClearMemoryAsksFirstAndSendsOnlyOnYes) {
    console.confirmAnswer = false;
    EXPECT_EQ(clearControllerMemory(context(), {"01", false}),
              Outcome::refused(maintenanceText::Declined));
    EXPECT_TRUE(frames().empty());
    EXPECT_TRUE(console.messages.empty());

    console.confirmAnswer = true;
    EXPECT_EQ(clearControllerMemory(context(), {"01", false}), Outcome::completed());
    EXPECT_EQ(frames(1), (std::vector<SentFrame>{{"0100", "09"}}));
    EXPECT_EQ(unit("c1").memoryClears, 1);
    EXPECT_EQ(unit("c2").memoryClears, 0);
    EXPECT_EQ(messageTexts(console), Texts{"Unit will reset then Clear Memory +/- 30sec."});
}

TEST_F(MaintenanceOnPty, NetworkResetGoesToTerminalsThenControllers) {
    EXPECT_EQ(resetNetwork(context()), Outcome::completed());
    EXPECT_EQ(frames(2), (std::vector<SentFrame>{{"FFFF", "08"}, {"FF00", "08"}}));
    EXPECT_TRUE(console.messages.empty());
    EXPECT_FALSE(port().IsOpen());
}

TEST_F(MaintenanceOnPty, APortThatDoesNotOpen) {
    port().setDevicePath("/nonexistent/tty");
    EXPECT_EQ(resetNetwork(context()), Outcome::failed(PortSession::kOpenFailed));
    EXPECT_TRUE(console.messages.empty()); // the reset shows nothing
    EXPECT_EQ(configurePort2(context(), {"01", true}), Outcome::failed(PortSession::kOpenFailed));
    ASSERT_EQ(messageTexts(console).size(), 1u);
    EXPECT_EQ(messageTexts(console)[0].rfind("Failed to open COM port\n/nonexistent/tty: ", 0), 0u);
    EXPECT_TRUE(frames().empty());
}

TEST_F(MaintenanceInVirtualTime, AnUnansweredVerificationIsAskedElevenTimesThenFails) {
    EXPECT_EQ(setLogicalAddress(context(), {false, "1234ABCD", "0105"}),
              Outcome::failed(maintenanceText::Failed));
    const auto sent = frames();
    ASSERT_EQ(sent.size(), 12u);
    EXPECT_EQ(sent.front(), (SentFrame{"01FF", "041234ABCD05"}));
    for (std::size_t i = 1; i < sent.size(); ++i)
        EXPECT_EQ(sent[i], (SentFrame{"0105", "01"}));
    EXPECT_GE(clock().nowMs(), 11u * 700u);
    EXPECT_EQ(messageTexts(console), Texts{"Failed!"});
}

TEST_F(MaintenanceInVirtualTime, ClearingAllControllersSilencesThemForHalfAMinute) {
    console.confirmAnswer = true;
    EXPECT_EQ(clearControllerMemory(context(), {"01", true}), Outcome::completed());
    EXPECT_EQ(frames(), (std::vector<SentFrame>{{"FF00", "09"}}));
    EXPECT_EQ(unit("c1").memoryClears, 1);
    EXPECT_EQ(unit("c2").memoryClears, 1);
    EXPECT_GE(clock().nowMs(), 1000u); // the notice follows the pause
}

// With the line-status check on, a line that shows no modem signal takes no byte: the request
// never leaves, though the line has not failed. Neither command may then claim anything.
TEST_F(MaintenanceInVirtualTime, ARequestThatCannotLeaveIsAFailure) {
    port().setCheckLineStatus(true);
    EXPECT_EQ(setLogicalAddress(context(), {true, "10000001", "FF"}),
              Outcome::failed(maintenanceText::Failed));
    console.confirmAnswer = true;
    EXPECT_EQ(clearControllerMemory(context(), {"01", false}),
              Outcome::failed(maintenanceText::Failed));
    EXPECT_EQ(link().counts().of(ExchangeOutcome::WriteFailed), 2u);
    EXPECT_FALSE(link().lineLost());
    EXPECT_TRUE(frames().empty());
    EXPECT_EQ(unit("c1").memoryClears, 0);
    EXPECT_EQ(messageTexts(console), (Texts{"Failed!", "Failed!"}));
}
