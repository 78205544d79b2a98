#include "link/serialPort.h"
#include "link/operation.h"
#include "link/platform/posix/openFailure.h"
#include "link/platform/posix/posixBackend.h"
#include "ptyPeer.h"
#include "tests/support/workingFolder.h"
#include "tests/support/recordingConsole.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <iterator>
#include <sys/stat.h>
#include <termios.h>
#include <thread>

namespace {

void waitForBytes(TSerialPort& port, int count) {
    for (int i = 0; i < 200 && port.BytesWaiting() < count; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

termios deviceSettings(const PtyPeer& peer) {
    termios tio{};
    tcgetattr(peer.deviceSide(), &tio);
    return tio;
}

tcflag_t parityKind(const PtyPeer& peer) {
    return deviceSettings(peer).c_cflag & (PARODD | CMSPAR);
}

speed_t deviceSpeed(const PtyPeer& peer) {
    const termios tio = deviceSettings(peer);
    return cfgetospeed(&tio);
}

// The input-speed bits of the line: none means the input runs at the output speed.
bool inputSpeedFollowsOutput(const PtyPeer& peer) {
    const termios tio = deviceSettings(peer);
    const tcflag_t input = (tio.c_cflag & CIBAUD) >> __builtin_ctz(CIBAUD);
    return input == 0 || input == (tio.c_cflag & CBAUD);
}

class PortOnPty : public ::testing::Test {
protected:
    PortOnPty() {
        configureForTool(port);
        port.setDevicePath(peer.devicePath());
    }
    PtyPeer peer;
    TSerialPort port;
};

} // namespace

TEST(SerialPortClosed, ReportsTheClosedPortValuesAndDoesNothing) {
    TSerialPort port;
    port.setDevicePath("/nonexistent/device");
    EXPECT_FALSE(port.OpenPort());
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.BytesWaiting(), 65535);
    EXPECT_EQ(port.OutputSpace(), 0xFFFF);
    const auto started = std::chrono::steady_clock::now();
    std::uint8_t byte = 0;
    EXPECT_FALSE(port.ReadOneByte(byte));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(5));
    EXPECT_FALSE(port.WriteText("@"));
    const ModemSignals signals = port.LineSignals();
    EXPECT_FALSE(signals.cts || signals.dsr || signals.ring || signals.carrierDetect);
    port.PurgeBuffers(true, true);
    port.SetDtr(true);
    port.ClosePort();
}

TEST_F(PortOnPty, OpeningAnOpenPortChangesNothing) {
    ASSERT_TRUE(port.OpenPort());
    peer.sendNow("abc");
    waitForBytes(port, 3);
    EXPECT_TRUE(port.OpenPort());
    EXPECT_EQ(port.BytesWaiting(), 3); // not purged by a second configuration
    std::uint8_t bytes[3] = {};
    EXPECT_EQ(port.ReadBytes(bytes, 3), 3);
    EXPECT_EQ(std::string(bytes, bytes + 3), "abc");
    port.ClosePort();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(port.OpenPort()); // and it opens again after closing
}

TEST_F(PortOnPty, ASecondPortCannotTakeAnOpenLine) {
    ASSERT_TRUE(port.OpenPort());
    TSerialPort other;
    other.setDevicePath(peer.devicePath());
    EXPECT_FALSE(other.OpenPort());
    port.ClosePort();
    EXPECT_TRUE(other.OpenPort());
}

TEST_F(PortOnPty, LineSettingsChangeOnTheOpenLineAndPurgeIt) {
    ASSERT_TRUE(port.OpenPort());
    EXPECT_EQ(deviceSpeed(peer), B38400);
    peer.sendNow("stale");
    waitForBytes(port, 5);
    port.setComPortSpeed(br57600);
    EXPECT_EQ(deviceSpeed(peer), B57600);
    EXPECT_EQ(port.BytesWaiting(), 0);

    // A pseudo-terminal keeps eight data bits and no parity checking whatever it is told, but
    // it does keep the parity kind, the stop bits and the flow control that were asked for.
    port.setComPortParity(ptODD);
    port.setComPortStopBits(sb2BITS);
    EXPECT_EQ(parityKind(peer), static_cast<tcflag_t>(PARODD));
    EXPECT_TRUE(deviceSettings(peer).c_cflag & CSTOPB);
    port.setComPortParity(ptEVEN);
    EXPECT_EQ(parityKind(peer), 0u);
    port.setComPortParity(ptMARK);
    EXPECT_EQ(parityKind(peer), static_cast<tcflag_t>(PARODD | CMSPAR));
    port.setComPortParity(ptSPACE);
    EXPECT_EQ(parityKind(peer), static_cast<tcflag_t>(CMSPAR));

    port.setComPortStopBits(sb1BITS);
    EXPECT_FALSE(deviceSettings(peer).c_cflag & CSTOPB);
    port.setComPortStopBits(sb1HALFBITS); // nearest on POSIX: two
    EXPECT_TRUE(deviceSettings(peer).c_cflag & CSTOPB);

    port.setComPortSwHandshaking(shXONXOFF);
    port.setComPortHwHandshaking(hhRTSCTS);
    termios tio = deviceSettings(peer);
    EXPECT_TRUE(tio.c_iflag & IXON);
    EXPECT_TRUE(tio.c_iflag & IXOFF);
    EXPECT_TRUE(tio.c_cflag & CRTSCTS);
    port.setComPortHwHandshaking(hhNONE);
    EXPECT_FALSE(deviceSettings(peer).c_cflag & CRTSCTS);
}

// Each standard speed reaches the device: a mix-up of two table rows shows here.
TEST_F(PortOnPty, EveryStandardSpeedIsTheDevicesSpeed) {
    ASSERT_TRUE(port.OpenPort());
    const std::pair<TComPortBaudRate, speed_t> speeds[] = {
        {br110, B110},     {br300, B300},     {br600, B600},      {br1200, B1200},
        {br2400, B2400},   {br4800, B4800},   {br9600, B9600},    {br19200, B19200},
        {br38400, B38400}, {br57600, B57600}, {br115200, B115200}};
    for (const auto& [rate, constant] : speeds) {
        port.setComPortSpeed(rate);
        EXPECT_EQ(deviceSpeed(peer), constant) << rate;
    }
}

TEST_F(PortOnPty, SpeedsWithoutATermiosConstantUseTheCustomRoute) {
    PosixBackend backend;
    ASSERT_TRUE(backend.open(peer.devicePath()));
    LineSettings settings;
    settings.baud = 14400;
    EXPECT_TRUE(backend.configure(settings));
    EXPECT_EQ(deviceSettings(peer).c_cflag & CBAUD, static_cast<tcflag_t>(CBAUDEX)); // BOTHER
    settings.baud = 38400;
    EXPECT_TRUE(backend.configure(settings));
    EXPECT_EQ(deviceSpeed(peer), B38400);
    EXPECT_TRUE(inputSpeedFollowsOutput(peer)); // not left receiving at 14400
}

TEST_F(PortOnPty, ThePortStaysUsableThoughThePtyRefusesModemLines) {
    peer.start();
    ASSERT_TRUE(port.OpenPort());
    port.SetDtr(false);
    const ModemSignals signals = port.LineSignals();
    EXPECT_FALSE(signals.cts || signals.dsr || signals.ring || signals.carrierDetect);
    EXPECT_TRUE(port.WriteText("ok\r"));
    ASSERT_TRUE(peer.waitForFrames(1, 1000));
    EXPECT_EQ(peer.frames().front(), "ok\r");
}

TEST_F(PortOnPty, PollingTakesBytesOnlyWhenDueAndNotSuspended) {
    std::string taken;
    port.setOnReceiveData(
        [](void* context, const std::uint8_t* data, int size) {
            static_cast<std::string*>(context)->append(reinterpret_cast<const char*>(data), size);
        },
        &taken);
    port.setComPortPollingDelay(20);
    port.PollTimerTick(); // closed: nothing
    ASSERT_TRUE(port.OpenPort());
    peer.sendNow("hello");
    waitForBytes(port, 5);
    port.PollTimerTick(); // the polling delay has not passed yet
    EXPECT_EQ(port.BytesWaiting(), 5);
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
    port.SuspendPolling();
    port.PollTimerTick();
    EXPECT_EQ(port.BytesWaiting(), 5);
    port.ResumePolling();
    port.PollTimerTick();
    EXPECT_EQ(taken, "hello");
    EXPECT_EQ(port.BytesWaiting(), 0);
}

TEST_F(PortOnPty, QueueSizesChangedWhileOpenWaitForTheNextOpen) {
    std::string taken;
    port.setOnReceiveData(
        [](void* context, const std::uint8_t* data, int size) {
            static_cast<std::string*>(context)->append(reinterpret_cast<const char*>(data), size);
        },
        &taken);
    port.setComPortPollingDelay(0);
    ASSERT_TRUE(port.OpenPort());
    port.setComPortOutBufSize(100);
    port.setComPortInBufSize(2);
    EXPECT_EQ(port.ComPortOutBufSize(), 100);
    EXPECT_EQ(port.OutputSpace(), 4096);
    peer.sendNow("hello");
    waitForBytes(port, 5);
    port.PollTimerTick();
    EXPECT_EQ(taken, "hello"); // the open line keeps its receive buffer

    port.ClosePort();
    ASSERT_TRUE(port.OpenPort());
    EXPECT_EQ(port.OutputSpace(), 100);
    peer.sendNow("hello");
    waitForBytes(port, 5);
    taken.clear();
    port.PollTimerTick();
    EXPECT_EQ(taken, "he");
}

TEST_F(PortOnPty, PollingStaysSuspendedForTheRestOfTheRun) {
    RecordingConsole console;
    Transaction link(port, systemClock(), console);
    EXPECT_TRUE(port.PollingActive());
    for (int operation = 0; operation < 3; ++operation) {
        PortSession session(link);
        ASSERT_TRUE(session.opened());
        EXPECT_FALSE(port.PollingActive());
    }
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(port.PollingActive());
    EXPECT_TRUE(console.messages.empty());
}

TEST(PortSession, ShowsTheErrorBoxWhenThePortDoesNotOpen) {
    RecordingConsole console;
    TSerialPort port;
    port.setDevicePath("/nonexistent/device");
    Transaction link(port, systemClock(), console);
    PortSession session(link);
    EXPECT_FALSE(session.opened());
    ASSERT_EQ(console.messages.size(), 1u);
    EXPECT_EQ(console.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(console.messages[0].text,
              "Failed to open COM port\n/nonexistent/device: No such file or directory. " +
                  listSerialPorts());
    EXPECT_TRUE(port.PollingActive()); // nothing else happened
}

// The second line of the error box says why the port did not open and what to do about it.
TEST_F(PortOnPty, AnOpenFailureSaysWhyAndWhatToDo) {
    ASSERT_TRUE(port.OpenPort());
    TSerialPort other;
    other.setDevicePath(peer.devicePath());
    EXPECT_FALSE(other.OpenPort());
    EXPECT_EQ(other.OpenFailure(),
              peer.devicePath() + ": busy: another program is using this port.");

    WorkingFolder folder;
    std::ofstream("COM3") << "not a device";
    other.setDevicePath("");
    other.setComPort(pnCOM3);
    EXPECT_FALSE(other.OpenPort());
    EXPECT_EQ(other.OpenFailure(), "COM3: not a serial line.");

    // Denied: the remedy names the group that owns the device.
    struct stat info {};
    ASSERT_EQ(stat(peer.devicePath().c_str(), &info), 0);
    const group* owner = getgrgid(info.st_gid);
    ASSERT_NE(owner, nullptr);
    const std::string denied = describeOpenFailure(peer.devicePath(), OpenStage::Open, EACCES);
    EXPECT_NE(denied.find("Permission denied"), std::string::npos) << denied;
    EXPECT_NE(denied.find("usermod -aG " + std::string(owner->gr_name)), std::string::npos)
        << denied;
}

TEST(DevicePathForPort, PrefersTheWorkingFolderEntry) {
    WorkingFolder folder;
    EXPECT_EQ(devicePathForPort(pnCOM1), "/dev/ttyS0");
    EXPECT_EQ(devicePathForPort(pnCOM12), "/dev/ttyS11");
    std::filesystem::create_symlink("/dev/null", "COM3");
    EXPECT_EQ(devicePathForPort(pnCOM3), "COM3");
    std::filesystem::create_symlink("/nonexistent/device", "COM4");
    EXPECT_EQ(devicePathForPort(pnCOM4),
              "COM4"); // a dangling link fails to open, never another line
    TSerialPort port;
    port.setComPort(pnCOM4);
    EXPECT_FALSE(port.OpenPort());
}

TEST(DevicePathForPort, AnEntryThatIsNoTerminalLineDoesNotOpen) {
    WorkingFolder folder;
    std::ofstream("COM2") << "the operator's notes\n";
    TSerialPort port;
    configureForTool(port);
    port.setComPort(pnCOM2);
    EXPECT_FALSE(port.OpenPort());
    EXPECT_FALSE(port.WriteText("@0100000100000101\r"));
    std::ifstream in("COM2");
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "the operator's notes\n");
}

TEST(DevicePathForPort, AChangedPortTakesEffectAtTheNextOpen) {
    PtyPeer first, second;
    WorkingFolder folder;
    std::filesystem::create_symlink(first.devicePath(), "COM1");
    std::filesystem::create_symlink(second.devicePath(), "COM3");
    TSerialPort port;
    configureForTool(port);
    ASSERT_TRUE(port.OpenPort());
    port.setComPort(pnCOM3);
    EXPECT_TRUE(port.WriteText("one\r"));
    port.ClosePort();
    ASSERT_TRUE(port.OpenPort());
    EXPECT_TRUE(port.WriteText("two\r"));
    first.start();
    second.start();
    ASSERT_TRUE(first.waitForFrames(1, 1000));
    ASSERT_TRUE(second.waitForFrames(1, 1000));
    EXPECT_EQ(first.frames().front(), "one\r");
    EXPECT_EQ(second.frames().front(), "two\r");
}
