// The window's side of firmware trust: Config > "Trusted Key...", a refused file by clicks on
// "&Upgrade" against the simulator, and the history dialog filtered by fixed address.

#include "historyDialog.h"
#include "logView.h"
#include "maskedEdit.h"
#include "tests/app/testForm.h"
#include "tests/support/windowRun.h"
#include "trust/history.h"
#include "trustFixtures.h"
#include "trustedKey.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include <filesystem>
#include <fstream>

namespace {

HistoryRecord recordOf(const std::string& fixedAddress, const std::string& outcome) {
    HistoryRecord record;
    record.time = "2026-12-08T20:15:03Z";
    record.port = "COM1";
    record.fixedAddress = fixedAddress;
    record.outcome = outcome;
    return record;
}

} // namespace

class WindowTrustTest : public QObject {
    Q_OBJECT

private slots:
    void theTrustedKeyIsTakenOnlyWhenItIsAPublicKey() {
        InTemporaryFolder folder;
        TestForm form;
        auto* item = form.findChild<QAction*>(QStringLiteral("TrustedKey1"));
        QVERIFY(item != nullptr);
        QCOMPARE(item->text(), QStringLiteral("Trusted Key..."));
        const QString secret = QString::fromStdString(fixturePath("key-a.key"));
        QVERIFY(applyTrustedKey(form, secret).contains(QStringLiteral("secret key")));
        QCOMPARE(form.messages.size(), 1);
        QCOMPARE(form.session.trust().trustedKeyFile, std::string());
        const QString key = QString::fromStdString(fixturePath("key-a.pub"));
        QVERIFY(applyTrustedKey(form, key).contains(QStringLiteral("891B246CECC102DC")));
        QCOMPARE(form.session.trust().trustedKeyFile, key.toStdString());
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
        form.edtControllerLA->selectAll();
        QTest::keyClicks(form.edtControllerLA, QStringLiteral("01"));
        form.edtTerminalLA->selectAll();
        QTest::keyClicks(form.edtTerminalLA, QStringLiteral("01"));
        QVERIFY(clickAndWait(form, form.btnUpgrade));
        const QStringList lines = form.mmoStatus->lines();
        QVERIFY2(lines.size() >= 2 &&
                     lines[1].startsWith(
                         QStringLiteral("Firmware file Terminal-K2.hex does not match SHA256SUMS")),
                 qPrintable(lines.join(QLatin1Char('\n'))));
        for (const QString& frame : bus.frames())
            QVERIFY2(!frame.section(QLatin1Char(':'), 1).startsWith(QLatin1Char('E')),
                     qPrintable(frame));
        QCOMPARE(bus.unit("t1").version, std::uint16_t{0x0102});
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
    }
};

QTEST_MAIN(WindowTrustTest)
#include "windowTrustTest.moc"
