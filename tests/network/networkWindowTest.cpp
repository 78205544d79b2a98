// "&Ping" clicked in the window on a network port chosen under Config → Port → "Network...":
// on the simulator's own TCP server (raw), and through ser2net as Telnet with the COM-port
// option. The report is the same apart from the raw port's note on its speed.

#include "logView.h"
#include "ser2netServer.h"
#include "sim/networkFile.h"
#include "sim/ptySimulator.h"
#include "sim/tcpSimulator.h"
#include "tests/app/testForm.h"
#include "tests/support/windowRun.h"
#include "tests/support/workingFolder.h"

#include <QPushButton>
#include <QTabWidget>

namespace {

const char* kNetwork = R"({
  "host": {"position": "7F00", "fixedAddress": "00007F01", "productId": 18, "version": "1.05"},
  "controllers": [
    {"la": "05", "fixedAddress": "0001A2B3", "productId": 5, "version": "010A",
     "terminals": [{"la": "12", "fixedAddress": "00C0FFEE", "productId": 3}]}]})";

QStringList pingThrough(const QString& address) {
    TestForm form;
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) return {};
    form.networkAnswers = {{address}};
    named<QAction>(form, "Network1")->trigger();
    named<QTabWidget>(form, "pgUpgrade")->setCurrentWidget(named<QWidget>(form, "tbsPing"));
    if (!clickAndWait(form, named<QPushButton>(form, "btnPing"))) return {};
    return named<LogView>(form, "mmoReport")->lines();
}

} // namespace

class NetworkWindowTest : public QObject {
    Q_OBJECT

private slots:
    void pingOnANetworkPortReportsTheNetwork() {
        InTemporaryFolder folder;
        sim::TcpSimulator served(*sim::parseNetwork(kNetwork).network);
        const auto address = served.start("127.0.0.1", 0);
        QVERIFY(address);
        QStringList raw = pingThrough(QString::fromStdString(*address));
        QVERIFY(!raw.isEmpty());
        QCOMPARE(raw.takeFirst(),
                 QStringLiteral("Network port %1: the line's speed and framing are those set on "
                                "the device server.")
                     .arg(QString::fromStdString(*address)));
        QCOMPARE(raw.first(), QStringLiteral(">> Registration Reader or Host Interface <<"));
        QVERIFY(raw.contains(QStringLiteral("[ Terminals on Controller 05 ]")));
        QCOMPARE(raw.last(), QStringLiteral("Finished."));

        if (!Ser2net::installed()) QSKIP("ser2net is not installed (apt-get install ser2net)");
        sim::PtySimulator behindServer(*sim::parseNetwork(kNetwork).network);
        const auto device = behindServer.start();
        QVERIFY(device);
        WorkingFolder serverFolder;
        Ser2net server;
        QVERIFY2(server.start(serverFolder.path(), {}, *device), server.error().c_str());
        QCOMPARE(pingThrough(QString::fromStdString(server.telnetUrl())), raw);
    }
};

QTEST_MAIN(NetworkWindowTest)
#include "networkWindowTest.moc"
