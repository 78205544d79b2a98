// The Win32 serial backend: how it names ports and failures, and, with a simulated network
// behind a port (NEXALO_WINE_PORT, set by the Wine end-to-end run), how it treats the line.

#include "link/platform/win32/win32Backend.h"
#include "link/catalogue.h"
#include "link/linkSession.h"
#include "link/platform/win32/win32Errors.h"
#include "link/serialPort.h"
#include "link/silentConsole.h"
#include "link/transaction.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

bool startsWith(const std::string& text, const std::string& head) {
    return text.rfind(head, 0) == 0;
}

TEST(Win32Ports, ComNumbersOpenTheDeviceNamespaceNames) {
    EXPECT_EQ(devicePathForPort(pnCOM1), "\\\\.\\COM1");
    EXPECT_EQ(devicePathForPort(pnCOM12), "\\\\.\\COM12");

    TSerialPort port;
    port.setComPort(pnCOM3);
    EXPECT_EQ(port.resolvedDevicePath(), "\\\\.\\COM3");
    port.setDevicePath("\\\\.\\COM12");
    EXPECT_EQ(port.resolvedDevicePath(), "\\\\.\\COM12"); // a path given is used as it stands
}

TEST(Win32Errors, SystemWordsComeWithoutTheirLineBreak) {
    const std::string denied = systemErrorText(ERROR_ACCESS_DENIED);
    EXPECT_FALSE(denied.empty());
    EXPECT_EQ(denied.find_first_of("\r\n"), std::string::npos) << denied;
    EXPECT_NE(denied.back(), '.');
    // An error number the system has no words for still says which it was.
    EXPECT_EQ(systemErrorText(0x2FFFFFFF), "Windows error " + std::to_string(0x2FFFFFFF));
}

TEST(Win32Errors, OpenFailuresNameTheDeviceTheReasonAndARemedy) {
    const std::string busy = describeOpenFailure("\\\\.\\COM4", ERROR_ACCESS_DENIED);
    EXPECT_EQ(busy, "\\\\.\\COM4: busy: another program is using this port.");

    const std::string absent = describeOpenFailure("\\\\.\\COM9", ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(startsWith(absent, "\\\\.\\COM9: " + systemErrorText(ERROR_FILE_NOT_FOUND) + ". "))
        << absent;
    EXPECT_TRUE(absent.ends_with(listSerialPorts())) << absent;
}

TEST(Win32Backend, APortThatIsNotThereFailsWithItsReasonAndNothingWorksOnIt) {
    Win32Backend line;
    EXPECT_FALSE(line.open("\\\\.\\COM199"));
    EXPECT_TRUE(startsWith(line.openFailure(), "\\\\.\\COM199: ")) << line.openFailure();
    EXPECT_NE(line.openFailure().find("Serial ports here:"), std::string::npos)
        << line.openFailure();
    EXPECT_FALSE(line.isOpen());
    EXPECT_EQ(line.lineFault(), "");
    std::uint8_t byte = 0;
    EXPECT_EQ(line.write(&byte, 1), 0);
    EXPECT_EQ(line.read(&byte, 1), 0);
    EXPECT_EQ(line.bytesWaiting(), -1);
    EXPECT_FALSE(line.setDtr(false));
    EXPECT_FALSE(line.waitReadable(1));
}

TEST(Win32Backend, AFileIsNoSerialLine) {
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "nexalo-COM1.txt";
    std::ofstream(file) << "not a port\n";
    Win32Backend line;
    EXPECT_FALSE(line.open(file.string()));
    EXPECT_EQ(line.openFailure(), file.string() + ": not a serial line.");
    EXPECT_FALSE(line.isOpen());
    std::filesystem::remove(file);
}

// A simulated network behind the port: the Wine end-to-end run links the port to the
// simulator's pseudo-terminal and runs these cases.
class WineLine : public ::testing::Test {
protected:
    void SetUp() override {
        const char* name = std::getenv("NEXALO_WINE_PORT");
        if (!name) GTEST_SKIP() << "NEXALO_WINE_PORT names no port with a network behind it";
        configureForTool(port);
        port.setDevicePath(std::string("\\\\.\\") + name);
        ASSERT_TRUE(port.OpenPort()) << port.OpenFailure();
        port.SuspendPolling();
        port.SetDtr(false); // a pseudo-terminal has no DTR: refused, and the line goes on
    }

    SilentConsole console;
    LinkSession session{console};
    TSerialPort& port = session.port();
    Transaction& transaction = session.link();
};

// Fire-and-forget frames go out whole and are never taken back by the purge that starts the
// next request: each broadcast here is followed at once by a request that must be answered.
// How many broadcasts to send is the end-to-end run's (NEXALO_WINE_BROADCASTS): it counts
// those that reached the network.
TEST_F(WineLine, EveryFrameReachesTheNetworkAndEveryRequestIsAnswered) {
    // As long as a page frame, so that the purge has the most to cut.
    const std::string kLongPoll = cmd::StatusPoll + std::string(256, '0');
    const char* count = std::getenv("NEXALO_WINE_BROADCASTS");
    const int rounds = count ? std::atoi(count) : 100;
    int answered = 0;
    for (int round = 0; round < rounds; ++round) {
        std::string ignored;
        ignored = transaction.TxMessage(addr::AllControllers, kLongPoll, 0, 0).text;
        std::string reply;
        reply = transaction.TxMessage("0100", cmd::StatusPoll, 500, 0).text;
        if (!reply.empty()) ++answered;
    }
    EXPECT_EQ(answered, rounds);
    EXPECT_EQ(port.LineFault(), "");
}

// A port without modem lines refuses DTR (Wine's pseudo-terminal does, with error 50): the
// refusal is no fault of the line, and requests go on being answered.
TEST_F(WineLine, ARefusedDtrLeavesTheLineWorking) {
    port.backend().setDtr(true);
    port.backend().setDtr(false);
    port.SetDtr(false);
    std::string reply;
    reply = transaction.TxMessage("0100", cmd::StatusPoll, 500, 0).text;
    EXPECT_FALSE(reply.empty());
    EXPECT_EQ(port.LineFault(), "");
}

// The line settings of every speed the tool offers are taken (SetCommState), and a reply
// still comes back on the reconfigured line.
TEST_F(WineLine, SpeedChangesReconfigureTheOpenLine) {
    for (TComPortBaudRate speed : {br1200, br9600, br57600, br38400}) {
        port.setComPortSpeed(speed);
        std::string reply;
        reply = transaction.TxMessage("0100", cmd::StatusPoll, 500, 2).text;
        EXPECT_FALSE(reply.empty()) << baudRateBitsPerSecond(speed);
    }
}

} // namespace
