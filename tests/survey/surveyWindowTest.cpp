// "&Ping" clicked in the window against the simulated network over a pseudo-terminal.

#include "logView.h"
#include "product/products.h"
#include "sim/networkFile.h"
#include "sim/ptySimulator.h"
#include "tests/app/testForm.h"

#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

namespace {

const char* kNetwork = R"({
  "host": {"position": "7F00", "fixedAddress": "00007F01", "productId": 18, "version": "1.05"},
  "controllers": [
    {"la": "05", "fixedAddress": "0001A2B3", "productId": 5, "version": "010A",
     "terminals": [{"la": "12", "fixedAddress": "00C0FFEE", "productId": 3}]}]})";

} // namespace

class SurveyWindowTest : public QObject {
    Q_OBJECT

private slots:
    void pingSurveysTheNetworkOnceWhateverIsClickedMeanwhile() {
        InTemporaryFolder folder;
        sim::PtySimulator simulator(*sim::parseNetwork(kNetwork).network);
        const auto device = simulator.start();
        QVERIFY(device);
        TestForm form;
        form.portCom.setDevicePath(*device);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.pgUpgrade->setCurrentWidget(form.tbsPing);
        form.mmoReport->appendLine(QStringLiteral("left from before"));
        const QStringList statusBefore = form.mmoStatus->lines();

        // Clicks while the survey runs: a second survey and another operation are refused.
        bool disabledMeanwhile = false;
        QTimer meanwhile;
        meanwhile.setSingleShot(true);
        connect(&meanwhile, &QTimer::timeout, &form, [&] {
            disabledMeanwhile = !form.btnPing->isEnabled();
            form.btnPingClick();
            form.mnuVerClick();
        });
        meanwhile.start(300);
        QTest::mouseClick(form.btnPing, Qt::LeftButton);

        QVERIFY(disabledMeanwhile);
        QVERIFY(form.btnPing->isEnabled());
        const QStringList lines = form.mmoReport->lines();
        QCOMPARE(lines.first(), QStringLiteral(">> Registration Reader or Host Interface <<"));
        QVERIFY(lines.contains(QStringLiteral("0001A2B3    05  1.10        Ok             05:") +
                               QString::fromStdString(getProductName(5))));
        QVERIFY(lines.contains(QStringLiteral("[ Terminals on Controller 05 ]")));
        QCOMPARE(lines.count(QStringLiteral("Finished.")), 1);
        QCOMPARE(lines.last(), QStringLiteral("Finished."));
        QCOMPARE(form.mmoStatus->lines(), statusBefore); // the versions report was refused
        QCOMPARE(form.survey.at(1, 1).fixedAddress, 0x00C0FFEE);
        QVERIFY(!form.portCom.IsOpen());
        const sim::Network seen = simulator.snapshot();
        const auto hostAsked = std::count_if(seen.frames.begin(), seen.frames.end(),
                                             [](const auto& f) { return f.address == "7F00"; });
        QCOMPARE(hostAsked, 1);
    }
};

QTEST_MAIN(SurveyWindowTest)
#include "surveyWindowTest.moc"
