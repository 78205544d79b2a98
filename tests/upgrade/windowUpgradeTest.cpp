// The upgrade page driven by clicks against the simulated network on a pseudo-terminal. The run
// goes on the session's worker: the window stays live meanwhile, and its button (Stop or Skip)
// and its close button act on the run.

#include "extTimeout.h"
#include "link/catalogue.h"
#include "logView.h"
#include "maskedEdit.h"
#include "product/products.h"
#include "radioGroup.h"
#include "tests/app/testForm.h"
#include "tests/support/windowRun.h"

#include <QActionGroup>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>

namespace {

// A terminal whose file is an S-record image with its version word far above the application.
const char* kSRecordTerminal = R"({ "seed": 5, "controllers": [
  { "name": "c1", "la": "01", "fixedAddress": "10000001", "productId": 5, "version": "2.01",
    "terminals": [
      { "name": "t1", "la": "01", "fixedAddress": "20000101", "productId": 38, "version": "1.02" }
    ] } ] })";

// Two controllers with empty LAs between them: the scan waits out each empty LA for over a
// second, which leaves time to act while it runs.
const char* kSparseControllers = R"({ "seed": 5, "controllers": [
  { "name": "c1", "la": "01", "fixedAddress": "10000001", "productId": 5, "version": "2.01" },
  { "name": "c4", "la": "04", "fixedAddress": "10000004", "productId": 5, "version": "2.01" } ] })";

QRadioButton* item(RadioGroup* group, int index) {
    return group->findChildren<QRadioButton*>().at(index);
}

void typeLA(MaskedEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

// Acts once on the window's thread, as soon as when() holds while the run goes on.
void actOnceWhen(QTimer& timer, std::function<bool()> when, std::function<void()> act) {
    QObject::connect(&timer, &QTimer::timeout, [&timer, when, act] {
        if (!when()) return;
        timer.stop();
        act();
    });
    timer.start(10);
}

// The window's port opens the simulated line; the firmware file is at hand.
struct UpgradeRig {
    InTemporaryFolder folder;
    TestForm form;
    std::optional<SimulatedBus> bus;

    bool ready(const char* json, const char* firmware) {
        std::filesystem::copy_file(std::filesystem::path(NEXALO_FW_SAMPLES_DIR) / firmware,
                                   folder.file(QString::fromLatin1(firmware)).toStdString());
        bus.emplace(form, json);
        return bus->ready;
    }
    // Terminal 0101 alone.
    bool readyForTerminal(const char* json = kOneTerminalNetwork,
                          const char* firmware = "Terminal-K2.hex") {
        if (!ready(json, firmware)) return false;
        typeLA(named<MaskedEdit>(form, "edtControllerLA"), QStringLiteral("01"));
        typeLA(named<MaskedEdit>(form, "edtTerminalLA"), QStringLiteral("01"));
        return true;
    }
    // Every QRM-A/B controller, found by a scan of the sparse bus.
    bool readyForAllControllers() {
        if (!ready(kSparseControllers, "Controller-K2.hex")) return false;
        QTest::mouseClick(item(named<RadioGroup>(form, "rgUnitType"), 1), Qt::LeftButton);
        QTest::mouseClick(item(named<RadioGroup>(form, "rgUpgradeType"), 1), Qt::LeftButton);
        return named<RadioGroup>(form, "rgUpgradeType")->itemIndex() == 1;
    }
    // The scan runs and has listed the controller at LA 01.
    bool scanPastFirstController() {
        return named<QPushButton>(form, "btnUpgrade")->text() == QStringLiteral("&Skip") &&
               named<LogView>(form, "mmoStatus")
                   ->lines()
                   .contains(QStringLiteral("[01] - ") + QString::fromStdString(getProductName(5)));
    }
    // Requests that reached the bus whose command starts with prefix (to address, if given).
    int framesStartingWith(const std::string& prefix, const std::string& address = {}) {
        const sim::Network seen = bus->simulator.snapshot();
        return static_cast<int>(
            std::ranges::count_if(seen.frames, [&](const sim::ReceivedFrame& f) {
                return f.command.starts_with(prefix) && (address.empty() || f.address == address);
            }));
    }
    // Every control that starts an operation, other than the Upgrade button, and the line's
    // menu items: enabled when all of them are (when on is true), or none of them.
    bool othersEnabled(bool on) {
        const QList<QWidget*> buttons = {
            named<QPushButton>(form, "btnPing"),
            named<QPushButton>(form, "btnCommsTest"),
            named<QPushButton>(form, "btnReset"),
            named<QPushButton>(form, "btnSetLA"),
            named<QPushButton>(form, "btnSetMess"),
            named<QPushButton>(form, "btnPort"),
            named<QPushButton>(form, "btnClearMem"),
            named<TfrmExtTimeout>(form, "frmExtTimeout")->btnCalcTimeout};
        QList<QAction*> items = named<QActionGroup>(form, "portItems")->actions() +
                                named<QActionGroup>(form, "baudItems")->actions();
        items << form.findChild<QAction*>(QStringLiteral("mnuVer"));
        return std::ranges::all_of(buttons, [on](QWidget* w) { return w->isEnabled() == on; }) &&
               std::ranges::all_of(items, [on](QAction* a) { return a && a->isEnabled() == on; });
    }
    std::string lastBroadcast() {
        const sim::Network seen = bus->simulator.snapshot();
        return seen.broadcasts.empty() ? std::string() : seen.broadcasts.back().command;
    }
};

} // namespace

class WindowUpgradeTest : public QObject {
    Q_OBJECT

private slots:
    void choicesKeepTheBoxesConsistent() {
        InTemporaryFolder folder;
        TestForm form;
        QTest::mouseClick(item(named<RadioGroup>(form, "rgUnitType"), 2),
                          Qt::LeftButton); // Host Interface
        QTest::mouseClick(item(named<RadioGroup>(form, "rgUpgradeType"), 1),
                          Qt::LeftButton); // ALL units.
        QCOMPARE(named<RadioGroup>(form, "rgUpgradeType")->itemIndex(), 0);
        QCOMPARE(named<MaskedEdit>(form, "edtControllerLA")->fieldText(), QStringLiteral("7F"));
        QVERIFY(!named<MaskedEdit>(form, "edtControllerLA")->isEnabled());
        QTest::mouseClick(item(named<RadioGroup>(form, "rgUnitType"), 0),
                          Qt::LeftButton); // Terminal
        QTest::mouseClick(item(named<RadioGroup>(form, "rgUpgradeType"), 1), Qt::LeftButton);
        QCOMPARE(named<RadioGroup>(form, "rgUpgradeType")->itemIndex(), 1);
        QCOMPARE(named<MaskedEdit>(form, "edtControllerLA")->fieldText() +
                     named<MaskedEdit>(form, "edtTerminalLA")->fieldText(),
                 QStringLiteral("01FF"));
        QVERIFY(named<MaskedEdit>(form, "edtControllerLA")->isEnabled() &&
                !named<MaskedEdit>(form, "edtTerminalLA")->isEnabled());
        QVERIFY(form.bus().scope.terminalScope && !form.bus().scope.controllerScope);
    }

    // The whole pass by clicks, with the window's thread handling a 10 ms timer throughout.
    void aFullUpgradeByClicksKeepsTheWindowLive() {
        UpgradeRig page;
        QVERIFY(page.readyForTerminal());
        TestForm& form = page.form;
        named<QCheckBox>(form, "ckbForceUpgrade")->setChecked(true);
        bool sawRunningState = false;
        QElapsedTimer sinceTick;
        qint64 longestGapMs = 0;
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            longestGapMs = std::max(longestGapMs, sinceTick.restart());
            if (named<QProgressBar>(form, "pgrProgress")->value() > 0 && !sawRunningState)
                sawRunningState =
                    named<QPushButton>(form, "btnUpgrade")->text() == QStringLiteral("&Stop") &&
                    named<QPushButton>(form, "btnUpgrade")->isEnabled() &&
                    !named<QWidget>(form, "pnlUpgrade")->isEnabled();
        });
        watch.start(10);
        sinceTick.start();
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnUpgrade")));
        watch.stop();
        QVERIFY(sawRunningState);
        QVERIFY2(longestGapMs < 200, qPrintable(QString::number(longestGapMs)));
        const QStringList expected = {"Find unit [0101]...",
                                      "V2.21  Terminal-K2.hex",
                                      "Unit 0101 Entering Upgrade mode...",
                                      "BB v0100:App v0102",
                                      "In Upgrade mode",
                                      "Erase Flash...",
                                      "Write Flash...",
                                      "Resetting unit...",
                                      "Upgrade OK.",
                                      "Reset unit.",
                                      "Finished."};
        QCOMPARE(named<LogView>(form, "mmoStatus")->lines(), expected);
        QCOMPARE(named<QPushButton>(form, "btnUpgrade")->text(), QStringLiteral("&Upgrade"));
        QVERIFY(named<QWidget>(form, "pnlUpgrade")->isEnabled());
        QVERIFY(!named<QCheckBox>(form, "ckbForceUpgrade")->isChecked());
        const sim::Unit terminal = page.bus->unit("t1");
        QCOMPARE(terminal.version, form.bus().image().fileVersion);
        for (std::int32_t a = 0; a < FirmwareImage::kSize; ++a)
            if (form.bus().image().isWritten(a))
                QCOMPARE(terminal.flash.at(static_cast<std::uint32_t>(a)),
                         form.bus().image().bytes[static_cast<std::size_t>(a)]);
    }

    void stopByClickDuringThePages() {
        UpgradeRig page;
        QVERIFY(page.readyForTerminal());
        TestForm& form = page.form;
        QString captionAtStop;
        QTimer watch;
        actOnceWhen(
            watch, [&] { return named<QProgressBar>(form, "pgrProgress")->value() >= 20; },
            [&] {
                captionAtStop = named<QPushButton>(form, "btnUpgrade")->text();
                QTest::mouseClick(named<QPushButton>(form, "btnUpgrade"), Qt::LeftButton);
            });
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnUpgrade")));
        QCOMPARE(captionAtStop, QStringLiteral("&Stop"));
        const QStringList lines = named<LogView>(form, "mmoStatus")->lines();
        QCOMPARE(lines.mid(lines.size() - 2),
                 QStringList({QStringLiteral("Write Flash..."), QStringLiteral("Finished.")}));
        QVERIFY(!lines.contains(QStringLiteral("Upgrade OK.")));
        // Idle again: the button is Upgrade, the page takes input, the next run may start.
        QCOMPARE(named<QPushButton>(form, "btnUpgrade")->text(), QStringLiteral("&Upgrade"));
        QVERIFY(named<QWidget>(form, "pnlUpgrade")->isEnabled());
        QVERIFY(!form.running() && !form.bus().session().busy());
        QVERIFY(!form.bus().session().control().stopRequested());
        const sim::Unit terminal = page.bus->unit("t1");
        QCOMPARE(terminal.resets, 0);
        QVERIFY(terminal.upgradeMode);
        QCOMPARE(page.framesStartingWith(cmd::Reset), 0);
    }

    // The window manager's close button during the scan, answered "Stop now": a Stop, not a
    // Skip. The window stays until the run has closed as a stopped run does, and no unit is put
    // into upgrade mode.
    void closingTheWindowDuringTheScanStopsTheRunThenCloses() {
        UpgradeRig page;
        QVERIFY(page.readyForAllControllers());
        TestForm& form = page.form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.answer = QMessageBox::Abort;
        bool closeRefused = false;
        QTimer watch;
        actOnceWhen(
            watch, [&] { return page.scanPastFirstController(); },
            [&] { closeRefused = !form.close(); });
        bool shownAtEnd = false;
        connect(&form.bus(), &BusController::operationEnded,
                [&] { shownAtEnd = form.isVisible(); });
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnUpgrade")));
        QVERIFY(closeRefused);
        QCOMPARE(form.messages.last().text.section('\n', 0, 0),
                 QStringLiteral("A run is in progress."));
        QVERIFY(shownAtEnd);
        QTRY_VERIFY(!form.isVisible());

        QCOMPARE(named<LogView>(form, "mmoStatus")->lines().constLast(),
                 QStringLiteral("Finished."));
        QCOMPARE(page.framesStartingWith(cmd::EnterUpgrade), 0); // "E0" and "E001"
        QVERIFY(!page.bus->unit("c1").upgradeMode && !page.bus->unit("c4").upgradeMode);
        QCOMPARE(page.framesStartingWith("", "0400"), 0); // the scan ended before LA 04
        QTRY_COMPARE(page.lastBroadcast(), std::string(cmd::UpgradeRunEnd));
    }

    // While the run searches and while it writes, its button (Skip, then Stop) is the one control
    // that acts; every other one that would start an operation waits for its end, a stopped
    // end included.
    void otherOperationsWaitForTheUpgradeToEnd() {
        UpgradeRig page;
        QVERIFY(page.readyForAllControllers());
        TestForm& form = page.form;
        QVERIFY(page.othersEnabled(true));
        QVERIFY(named<QPushButton>(form, "btnUpgrade")->isEnabled());
        bool whileSearching = false;
        bool whileWriting = false;
        bool stopped = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            const bool held = page.othersEnabled(false) &&
                              named<QPushButton>(form, "btnUpgrade")->isEnabled() &&
                              !named<QWidget>(form, "pnlUpgrade")->isEnabled();
            if (page.scanPastFirstController() && !whileSearching) {
                whileSearching = held;
                QTest::mouseClick(named<QPushButton>(form, "btnReset"),
                                  Qt::LeftButton); // offered nothing
                QTest::mouseClick(named<QPushButton>(form, "btnUpgrade"), Qt::LeftButton); // Skip
            }
            if (!stopped && named<LogView>(form, "mmoStatus")
                                ->lines()
                                .contains(QStringLiteral("Write Flash..."))) {
                whileWriting = held && named<QPushButton>(form, "btnUpgrade")->text() ==
                                           QStringLiteral("&Stop");
                stopped = true;
                QTest::mouseClick(named<QPushButton>(form, "btnUpgrade"), Qt::LeftButton); // Stop
            }
        });
        watch.start(10);
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnUpgrade")));
        watch.stop();
        QVERIFY(whileSearching);
        QVERIFY(whileWriting);
        QVERIFY(page.othersEnabled(true));
        QVERIFY(named<QPushButton>(form, "btnUpgrade")->isEnabled() &&
                named<QWidget>(form, "pnlUpgrade")->isEnabled());
        QCOMPARE(page.framesStartingWith(cmd::Reset, "FFFF"), 0);
    }

    // The pages of an image with a far version word: the bar climbs a small step at a time and
    // is full only at the end.
    void theBarClimbsEvenlyThroughAnImageWithGaps() {
        UpgradeRig page;
        QVERIFY(page.readyForTerminal(kSRecordTerminal, "Terminal-P4.S28"));
        TestForm& form = page.form;
        QList<int> values{named<QProgressBar>(form, "pgrProgress")->value()};
        connect(named<QProgressBar>(form, "pgrProgress"), &QProgressBar::valueChanged,
                [&](int v) { values << v; });
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnUpgrade")));
        QVERIFY(named<LogView>(form, "mmoStatus")->lines().contains(QStringLiteral("Upgrade OK.")));
        const int range = named<QProgressBar>(form, "pgrProgress")->maximum() -
                          named<QProgressBar>(form, "pgrProgress")->minimum();
        QCOMPARE(range, 100);
        QVERIFY2(values.size() > 20, qPrintable(QString::number(values.size())));
        for (qsizetype i = 1; i < values.size(); ++i)
            QVERIFY2(std::abs(values[i] - values[i - 1]) <= range / 10,
                     qPrintable(QStringLiteral("%1 -> %2").arg(values[i - 1]).arg(values[i])));
        QCOMPARE(values.constLast(), 100);
        QCOMPARE(values.indexOf(100), values.size() - 1);
    }

    // "&Skip" passes over the rest of the scan; the run goes on with the units found.
    void skipDuringTheScanUpgradesTheUnitsFoundSoFar() {
        UpgradeRig page;
        QVERIFY(page.readyForAllControllers());
        TestForm& form = page.form;
        QTimer watch;
        actOnceWhen(
            watch, [&] { return page.scanPastFirstController(); },
            [&] { QTest::mouseClick(named<QPushButton>(form, "btnUpgrade"), Qt::LeftButton); });
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnUpgrade")));
        const QStringList lines = named<LogView>(form, "mmoStatus")->lines();
        QCOMPARE(lines.mid(lines.size() - 3), (QStringList{QStringLiteral("<< Upgrade Report >>"),
                                                           QStringLiteral("Unit 0100 upgrade OK."),
                                                           QStringLiteral("Finished.")}));
        QVERIFY(!lines.join(QLatin1Char('\n')).contains(QStringLiteral("[04]")));
        QCOMPARE(page.bus->unit("c1").version, form.bus().image().fileVersion);
        QCOMPARE(page.bus->unit("c4").version, std::uint16_t(0x0201));
        QCOMPARE(page.framesStartingWith("", "0400"), 0);
        QCOMPARE(named<QPushButton>(form, "btnUpgrade")->text(), QStringLiteral("&Upgrade"));
    }
};

QTEST_MAIN(WindowUpgradeTest)
#include "windowUpgradeTest.moc"
