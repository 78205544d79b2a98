// "&Ping" clicked in the window against the simulated network over a pseudo-terminal.

#include "logView.h"
#include "product/products.h"
#include "tests/app/testForm.h"
#include "tests/support/windowRun.h"

#include <QPushButton>
#include <QRegularExpression>
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
        TestForm form;
        SimulatedBus bus(form, kNetwork);
        QVERIFY(bus.ready);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        named<QTabWidget>(form, "pgUpgrade")->setCurrentWidget(named<QWidget>(form, "tbsPing"));
        named<LogView>(form, "mmoReport")->appendLine(QStringLiteral("left from before"));
        const QStringList statusBefore = named<LogView>(form, "mmoStatus")->lines();

        // Clicks while the survey runs: a second survey and another operation are refused.
        bool disabledMeanwhile = false;
        QTimer meanwhile;
        meanwhile.setSingleShot(true);
        connect(&meanwhile, &QTimer::timeout, &form, [&] {
            disabledMeanwhile = !named<QPushButton>(form, "btnPing")->isEnabled();
            named<QPushButton>(form, "btnPing")->click();
            form.mnuVerClick();
        });
        meanwhile.start(300);
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnPing")));

        QVERIFY(disabledMeanwhile);
        QVERIFY(named<QPushButton>(form, "btnPing")->isEnabled());
        const QStringList lines = named<LogView>(form, "mmoReport")->lines();
        QCOMPARE(lines.first(), QStringLiteral(">> Registration Reader or Host Interface <<"));
        QVERIFY(lines.contains(QStringLiteral("0001A2B3    05  1.10        Ok             05:") +
                               QString::fromStdString(getProductName(5))));
        QVERIFY(lines.contains(QStringLiteral("[ Terminals on Controller 05 ]")));
        QCOMPARE(lines.count(QStringLiteral("Finished.")), 1);
        QCOMPARE(lines.last(), QStringLiteral("Finished."));
        QCOMPARE(named<LogView>(form, "mmoStatus")->lines(),
                 statusBefore); // the versions report was refused
        QCOMPARE(form.bus().surveyTable().at(1, 1).fixedAddress, 0x00C0FFEE);
        QVERIFY(!form.bus().port().IsOpen());
        QCOMPARE(bus.frames().filter(QRegularExpression(QStringLiteral("^7F00:"))).size(), 1);
    }
};

QTEST_MAIN(SurveyWindowTest)
#include "surveyWindowTest.moc"
