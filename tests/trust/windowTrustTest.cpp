// The window's side of firmware trust: Config > "Trusted Key..." kept across restarts until
// cleared, a refused file by clicks on "&Upgrade" against the simulator with the page's verdict
// from the run's outcome, and the history dialog filtered by fixed address.

#include "historyDialog.h"
#include "logView.h"
#include "maskedEdit.h"
#include "tests/app/testForm.h"
#include "tests/support/windowRun.h"
#include "trust/history.h"
#include "trustFixtures.h"
#include "trustedKey.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>

#include <filesystem>
#include <fstream>

namespace {

constexpr const char* kDigest = "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08";

HistoryRecord recordOf(const std::string& fixedAddress, const std::string& outcome) {
    HistoryRecord record;
    record.time = "2026-12-08T20:15:03Z";
    record.port = "COM1";
    record.fixedAddress = fixedAddress;
    record.outcome = outcome;
    record.fileSha256 = kDigest;
    return record;
}

// The one terminal's LA typed in, as the operator does before "&Upgrade".
void typeTerminal(TestForm& form) {
    named<MaskedEdit>(form, "edtControllerLA")->selectAll();
    QTest::keyClicks(named<MaskedEdit>(form, "edtControllerLA"), QStringLiteral("01"));
    named<MaskedEdit>(form, "edtTerminalLA")->selectAll();
    QTest::keyClicks(named<MaskedEdit>(form, "edtTerminalLA"), QStringLiteral("01"));
}

bool sentNothingChanging(SimulatedBus& bus) {
    for (const QString& frame : bus.frames())
        if (frame.section(QLatin1Char(':'), 1).startsWith(QLatin1Char('E'))) return false;
    return true;
}

// Every cell of the unit's application flash.
std::string flashOf(const sim::Unit& unit) {
    std::string cells(sim::FlashMemory::Size, '\0');
    for (std::uint32_t cell = 0; cell < sim::FlashMemory::Size; ++cell)
        cells[cell] = static_cast<char>(unit.flash.at(cell));
    return cells;
}

QString keyFile() {
    return QString::fromStdString(fixturePath("key-a.pub"));
}

} // namespace

class WindowTrustTest : public QObject {
    Q_OBJECT

private slots:
    // Every case starts from a window that keeps no key.
    void init() {
        TestForm form;
        clearTrustedKey(form, form.bus());
    }
    void theTrustedKeyIsTakenOnlyWhenItIsAPublicKey() {
        InTemporaryFolder folder;
        TestForm form;
        auto* item = form.findChild<QAction*>(QStringLiteral("TrustedKey1"));
        QVERIFY(item != nullptr);
        QCOMPARE(item->text(), QStringLiteral("Trusted Key..."));
        const QString secret = QString::fromStdString(fixturePath("key-a.key"));
        QVERIFY(applyTrustedKey(form, form.bus(), secret).contains(QStringLiteral("secret key")));
        QCOMPARE(form.messages.size(), 1);
        QCOMPARE(form.bus().session().trustSettings().trustedKeyFile, std::string());
        const QString key = QString::fromStdString(fixturePath("key-a.pub"));
        QVERIFY(
            applyTrustedKey(form, form.bus(), key).contains(QStringLiteral("891B246CECC102DC")));
        QCOMPARE(form.bus().session().trustSettings().trustedKeyFile, key.toStdString());
    }

    // The key stays the window's, a restart included, until the operator clears it; meanwhile
    // the status bar says that only signed firmware goes out.
    void theKeyIsKeptAcrossRestartsUntilCleared() {
        InTemporaryFolder folder;
        {
            TestForm first;
            QVERIFY(!named<QLabel>(first, "lblTrustedKey")->isVisibleTo(&first));
            QVERIFY(!named<QAction>(first, "ClearTrustedKey1")->isEnabled());
            applyTrustedKey(first, first.bus(), keyFile());
            QVERIFY(named<QLabel>(first, "lblTrustedKey")->isVisibleTo(&first));
        }
        {
            TestForm restarted;
            QCOMPARE(restarted.bus().session().trustSettings().trustedKeyFile,
                     keyFile().toStdString());
            QVERIFY(named<QLabel>(restarted, "lblTrustedKey")->isVisibleTo(&restarted));
            QCOMPARE(
                named<QLabel>(restarted, "lblTrustedKey")->text(),
                QStringLiteral(
                    "Signed firmware only: SHA256SUMS must be signed by key 891B246CECC102DC."));
            QVERIFY(named<QAction>(restarted, "ClearTrustedKey1")->isEnabled());
            named<QAction>(restarted, "ClearTrustedKey1")->trigger();
            QCOMPARE(restarted.bus().session().trustSettings().trustedKeyFile, std::string());
            QVERIFY(!named<QLabel>(restarted, "lblTrustedKey")->isVisibleTo(&restarted));
        }
        TestForm cleared;
        QCOMPARE(cleared.bus().session().trustSettings().trustedKeyFile, std::string());
        QVERIFY(!named<QLabel>(cleared, "lblTrustedKey")->isVisibleTo(&cleared));
    }

    // A kept key whose file has gone is not dropped: the window says it cannot be read, and a
    // run sends nothing until the key is chosen again or cleared.
    void aKeptKeyThatNoLongerReadsRefusesEveryFile() {
        InTemporaryFolder folder;
        const QString copy = folder.file(QStringLiteral("site.pub"));
        QVERIFY(QFile::copy(keyFile(), copy));
        {
            TestForm first;
            applyTrustedKey(first, first.bus(), copy);
        }
        QVERIFY(QFile::remove(copy));
        TestForm form;
        QCOMPARE(form.bus().session().trustSettings().trustedKeyFile, copy.toStdString());
        QVERIFY2(
            named<QLabel>(form, "lblTrustedKey")->text().contains(QStringLiteral("cannot be read")),
            qPrintable(named<QLabel>(form, "lblTrustedKey")->text()));
        std::filesystem::copy_file(std::filesystem::path(NEXALO_FW_SAMPLES_DIR) / "Terminal-K2.hex",
                                   folder.file(QStringLiteral("Terminal-K2.hex")).toStdString());
        SimulatedBus bus(form, kOneTerminalNetwork);
        QVERIFY(bus.ready);
        typeTerminal(form);
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnUpgrade")));
        QVERIFY2(named<QLabel>(form, "lblUpgrade")
                     ->text()
                     .contains(QStringLiteral("the trusted key %1 cannot be read").arg(copy)),
                 qPrintable(named<QLabel>(form, "lblUpgrade")->text()));
        QVERIFY(sentNothingChanging(bus));
    }

    // SHA256SUMS that is there but is a folder refuses the file instead of letting it through;
    // the page's verdict is the run's outcome, and a run that completes says so.
    void theVerdictLineIsTheRunsOutcome() {
        InTemporaryFolder folder;
        TestForm form;
        std::filesystem::copy_file(std::filesystem::path(NEXALO_FW_SAMPLES_DIR) / "Terminal-K2.hex",
                                   folder.file(QStringLiteral("Terminal-K2.hex")).toStdString());
        std::filesystem::create_directory("SHA256SUMS");
        SimulatedBus bus(form, kOneTerminalNetwork);
        QVERIFY(bus.ready);
        const std::string flash = flashOf(bus.unit("t1"));
        QVERIFY(named<QLabel>(form, "lblUpgrade")->isHidden());
        typeTerminal(form);
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnUpgrade")));
        QCOMPARE(
            named<QLabel>(form, "lblUpgrade")->text(),
            QStringLiteral("Upgrade refused: Firmware file Terminal-K2.hex refused: SHA256SUMS "
                           "cannot be read (it is a folder) (unit 0101)"));
        QVERIFY(named<QLabel>(form, "lblUpgrade")->isVisibleTo(&form));
        QVERIFY(sentNothingChanging(bus));
        QVERIFY(flashOf(bus.unit("t1")) == flash);

        std::filesystem::remove("SHA256SUMS");
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnUpgrade")));
        QCOMPARE(named<QLabel>(form, "lblUpgrade")->text(), QStringLiteral("Upgrade completed."));
        QVERIFY(bus.unit("t1").version != 0x0102);
    }

    // With a trusted key and an unsigned list, a click on "&Upgrade" reads the unit and sends
    // nothing that would change it; the status log says why.
    void aRefusedFileIsShownAndNothingIsSent() {
        InTemporaryFolder folder;
        TestForm form;
        std::filesystem::copy_file(std::filesystem::path(NEXALO_FW_SAMPLES_DIR) / "Terminal-K2.hex",
                                   folder.file(QStringLiteral("Terminal-K2.hex")).toStdString());
        writeText("SHA256SUMS", std::string(64, '0') + "  Terminal-K2.hex\n");
        SimulatedBus bus(form, kOneTerminalNetwork);
        QVERIFY(bus.ready);
        typeTerminal(form);
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnUpgrade")));
        const QStringList lines = named<LogView>(form, "mmoStatus")->lines();
        QVERIFY2(lines.size() >= 2 &&
                     lines[1].startsWith(
                         QStringLiteral("Firmware file Terminal-K2.hex does not match SHA256SUMS")),
                 qPrintable(lines.join(QLatin1Char('\n'))));
        QVERIFY(sentNothingChanging(bus));
        QCOMPARE(bus.unit("t1").version, std::uint16_t{0x0102});
        QVERIFY(named<QLabel>(form, "lblUpgrade")
                    ->text()
                    .startsWith(QStringLiteral(
                        "Upgrade refused: Firmware file Terminal-K2.hex does not match")));
    }

    void theHistoryDialogShowsTheRecordsOfOneUnitAndSaysWhatItSkipped() {
        InTemporaryFolder folder;
        TestForm form;
        QVERIFY(AppendHistoryRecord(recordOf("20000101", "started")).empty());
        QVERIFY(AppendHistoryRecord(recordOf("20000102", "started")).empty());
        QVERIFY(AppendHistoryRecord(recordOf("20000101", "completed")).empty());
        std::ofstream(kHistoryFileName, std::ios::app) << "{\"time\": \"2026-12-0";
        auto* menuItem = form.findChild<QAction*>(QStringLiteral("mnuHistory"));
        QVERIFY(menuItem != nullptr);
        menuItem->trigger();
        auto* dialog = form.findChild<TfrmHistory*>();
        QVERIFY(dialog != nullptr && dialog->isVisible());
        QCOMPARE(dialog->tblHistory->rowCount(), 3);
        QVERIFY(dialog->lblNotes->text().contains(QStringLiteral("line 4")));
        QTest::keyClicks(dialog->edtFixedAddress, QStringLiteral("20000101"));
        QCOMPARE(dialog->tblHistory->rowCount(), 2);
        QCOMPARE(dialog->tblHistory->item(1, 9)->text(), QStringLiteral("completed"));
        QCOMPARE(dialog->tblHistory->item(0, 3)->text(), QStringLiteral("20000101"));
        dialog->edtFixedAddress->clear();
        QTest::keyClicks(dialog->edtFixedAddress, QStringLiteral("2000010Z")); // not hex: kept out
        QCOMPARE(dialog->edtFixedAddress->text(), QStringLiteral("2000010"));
        QCOMPARE(dialog->tblHistory->rowCount(), 3);
        // Seven digits are no fixed address yet: the dialog says so, and the eighth lifts it.
        QVERIFY(dialog->lblFilter->isVisible());
        QTest::keyClicks(dialog->edtFixedAddress, QStringLiteral("1"));
        QVERIFY(!dialog->lblFilter->isVisible());
        QCOMPARE(dialog->tblHistory->rowCount(), 2);

        // The digest is cut short in the table, whole in its tool tip and in the copy; Outcome
        // and Reason stand inside the table's view without a scroll.
        QTableWidgetItem* digest = dialog->tblHistory->item(0, 8);
        const QString whole = QString::fromStdString(kDigest);
        QCOMPARE(digest->toolTip(), whole);
        QVERIFY(digest->text().size() < whole.size());
        dialog->tblHistory->setCurrentCell(0, 0);
        named<QAction>(*dialog, "actCopyDigest")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), whole);
        QTableWidget* table = dialog->tblHistory;
        for (int column : {9, 10})
            QVERIFY2(table->columnViewportPosition(column) + table->columnWidth(column) <=
                         table->viewport()->width(),
                     qPrintable(QString::number(column)));
        QTest::mouseClick(named<QPushButton>(*dialog, "btnClose"), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
    }
};

QTEST_MAIN(WindowTrustTest)
#include "windowTrustTest.moc"
