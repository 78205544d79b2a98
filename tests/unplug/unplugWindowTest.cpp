// The adapter pulled out under the window's runs, on the offscreen platform: the run's log says
// so once, the window is idle again at once (captions, enabled panels, the port closed), neither
// the window's thread nor the run's worker takes processor time meanwhile, and the next run
// works once the adapter is back.

#include "cpuWatch.h"
#include "logView.h"
#include "lossTrace.h"
#include "maskedEdit.h"
#include "tests/app/testForm.h"
#include "tests/support/windowRun.h"

#include <QPushButton>
#include <QTimer>

#include <filesystem>

namespace {

constexpr double kMaxCpuShare = 0.05;
constexpr int kCpuWindowMs = 1000;

std::vector<std::string> linesOf(const LogView* log) {
    std::vector<std::string> lines;
    for (const QString& line : log->lines())
        lines.push_back(line.toStdString());
    return lines;
}

void typeLA(MaskedEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

// The window in a folder whose COM1 the simulator serves; the tool's port is COM1 there.
struct Bench {
    InTemporaryFolder folder;
    TestForm form;
    sim::PtySimulator simulator{*sim::parseNetwork(kOneTerminalNetwork).network};
    ThreadCpuWatch watch; // the window's thread
    QTimer noticeLoss;
    double msToEnd = -1; // from the loss to the run's end as the window saw it

    bool ready() {
        std::filesystem::copy_file(std::filesystem::path(NEXALO_FW_SAMPLES_DIR) / "Terminal-K2.hex",
                                   folder.file(QStringLiteral("Terminal-K2.hex")).toStdString());
        if (!simulator.start(folder.file(QStringLiteral("COM1")).toStdString())) return false;
        typeLA(named<MaskedEdit>(form, "edtControllerLA"), QStringLiteral("01"));
        typeLA(named<MaskedEdit>(form, "edtTerminalLA"), QStringLiteral("01"));
        // Fires while the window waits for the run: the moment of the loss, within 1 ms.
        QObject::connect(&noticeLoss, &QTimer::timeout, [this] {
            if (!simulator.unplugged()) return;
            watch.startOnce();
            noticeLoss.stop();
        });
        return true;
    }
    // Clicks, then stays idle until the window after the loss is over; the share of a core
    // the window's thread took.
    double clickAndMeasure(QPushButton* button) {
        noticeLoss.start(1);
        if (!clickAndWait(form, button) || !watch.started()) return -1;
        msToEnd = watch.msSinceStart();
        QTest::qWait(std::max(0, kCpuWindowMs - static_cast<int>(msToEnd)));
        const double share = watch.share();
        qInfo("window: run ended %.1f ms after the loss; CPU share over %.0f ms: %.3f%%", msToEnd,
              watch.msSinceStart(), share * 100);
        return share;
    }
    // The worker cannot take more processor time after the loss than it goes on running: a run
    // that ends this soon keeps within the share allowed over the window.
    bool workerStayedIdle() const { return msToEnd >= 0 && msToEnd < kMaxCpuShare * kCpuWindowMs; }
};

} // namespace

class UnplugWindowTest : public QObject {
    Q_OBJECT

private slots:
    void anUpgradeCutAmidItsPagesLeavesTheWindowIdleAndTheNextRunWorks() {
        Bench bench;
        QVERIFY(bench.ready());
        TestForm& form = bench.form;
        bench.simulator.unplugAtRequest(20);
        const double share = bench.clickAndMeasure(named<QPushButton>(form, "btnUpgrade"));

        const std::vector<std::string> lines = linesOf(named<LogView>(form, "mmoStatus"));
        const LossTrace trace = traceOf(lines);
        QCOMPARE(trace.lossLines, 1);
        QCOMPARE(trace.lossLine, std::string("Serial line lost: Input/output error"));
        QCOMPARE(std::vector<std::string>(lines.end() - 2, lines.end()),
                 (std::vector<std::string>{"No response!", "Finished."}));
        QVERIFY(share >= 0 && share < kMaxCpuShare);
        QVERIFY(bench.workerStayedIdle());
        QCOMPARE(named<QPushButton>(form, "btnUpgrade")->text(), QStringLiteral("&Upgrade"));
        QVERIFY(named<QWidget>(form, "pnlUpgrade")->isEnabled() &&
                named<QPushButton>(form, "btnUpgrade")->isEnabled());
        QVERIFY(!form.bus().port().IsOpen());
        QVERIFY(!form.running() && !form.bus().session().busy());
        QVERIFY(form.messages.isEmpty());

        QVERIFY(bench.simulator.replug());
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnUpgrade")));
        const std::vector<std::string> again = linesOf(named<LogView>(form, "mmoStatus"));
        QCOMPARE(traceOf(again).lossLines, 0);
        QVERIFY(std::ranges::find(again, "Upgrade OK.") != again.end());
        QCOMPARE(bench.simulator.unit("t1")->version, form.bus().image().fileVersion);
    }

    void aSurveyCutLeavesPingEnabledAndTheNextSurveyWorks() {
        Bench bench;
        QVERIFY(bench.ready());
        TestForm& form = bench.form;
        bench.simulator.unplugAtRequest(6);
        const double share = bench.clickAndMeasure(named<QPushButton>(form, "btnPing"));
        const std::vector<std::string> lines = linesOf(named<LogView>(form, "mmoReport"));
        QCOMPARE(traceOf(lines).lossLines, 1);
        QVERIFY(traceOf(lines).linesAfter <= 5);
        QCOMPARE(lines.back(), std::string("Finished."));
        QVERIFY(share >= 0 && share < kMaxCpuShare);
        QVERIFY(bench.workerStayedIdle());
        QVERIFY(named<QPushButton>(form, "btnPing")->isEnabled());
        QVERIFY(!form.bus().port().IsOpen());

        QVERIFY(bench.simulator.replug());
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnPing")));
        QCOMPARE(traceOf(linesOf(named<LogView>(form, "mmoReport"))).lossLines, 0);
        QCOMPARE(form.bus().surveyTable().at(1, 0).fixedAddress, 0x10000001);
    }

    // A command without a log of its own says it in an error box, then that it failed.
    void aSetLaCutBeforeItsCheckSaysSoInABox() {
        Bench bench;
        QVERIFY(bench.ready());
        TestForm& form = bench.form;
        bench.simulator.unplugAtRequest(1);
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnSetLA")));
        QCOMPARE(form.messages.size(), 2);
        QCOMPARE(form.messages.at(0).icon, QMessageBox::Critical);
        QCOMPARE(form.messages.at(0).text, QStringLiteral("Serial line lost: Input/output error"));
        QCOMPARE(form.messages.at(1).text, QStringLiteral("Failed!"));
        QVERIFY(!form.bus().port().IsOpen());
    }
};

QTEST_MAIN(UnplugWindowTest)
#include "unplugWindowTest.moc"
