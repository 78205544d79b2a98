// The Extend Timeout dialog: the minimum reply time-out it stores and the probe behind
// "Calc.", run against a unit at the far end of a pseudo-terminal.

#include "extTimeout.h"
#include "maskedEdit.h"
#include "ptyPeer.h"
#include "testForm.h"

#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

using namespace std::chrono_literals;

class ExtTimeoutTest : public QObject {
    Q_OBJECT

private slots:
    void dialogAsCreated() {
        InTemporaryFolder folder;
        TestForm form;
        TfrmExtTimeout* dialog = form.frmExtTimeout;
        QVERIFY(dialog);
        QVERIFY(!dialog->isVisible());
        QVERIFY(!dialog->isModal());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Extend Timeout"));
        QVERIFY(dialog->OKBtn->isDefault());
        QCOMPARE(dialog->sedtExtTimeout->value(), 0);
        QCOMPARE(dialog->sedtExtTimeout->maximum(), 5000);
        QCOMPARE(dialog->sedtExtTimeout->singleStep(), 100);
        QCOMPARE(dialog->edtTestTimeout->fieldText(), QStringLiteral("0100"));
        QCOMPARE(dialog->lblTestTimeout->text(), QStringLiteral("0 msec"));
        QCOMPARE(dialog->btnCalcTimeout->text(), QStringLiteral("Calc."));
        QCOMPARE(form.link.minimumTimeout(), 0);
    }

    void okStoresCancelKeeps() {
        InTemporaryFolder folder;
        TestForm form;
        TfrmExtTimeout* dialog = form.frmExtTimeout;
        form.ExtendedTimeouts1Click();
        QVERIFY(dialog->isVisible());
        dialog->sedtExtTimeout->setValue(2000);
        QTest::mouseClick(dialog->OKBtn, Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(form.link.minimumTimeout(), 2000);

        form.ExtendedTimeouts1Click();
        QCOMPARE(dialog->sedtExtTimeout->value(), 2000); // fields kept between showings
        dialog->sedtExtTimeout->setValue(300);
        QTest::mouseClick(dialog->CancelBtn, Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(form.link.minimumTimeout(), 2000);
        form.ExtendedTimeouts1Click();
        QCOMPARE(dialog->sedtExtTimeout->value(), 300);

        QTest::keyClick(dialog, Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(form.link.minimumTimeout(), 2000);
    }

    void probeMeasuresAnAnsweringUnit() {
        InTemporaryFolder folder;
        PtyPeer unit("0100", 40ms);
        QVERIFY(unit.ready());
        TestForm form;
        form.portCom.setDevicePath(unit.devicePath());
        TfrmExtTimeout* dialog = form.frmExtTimeout;
        form.ExtendedTimeouts1Click();
        dialog->sedtExtTimeout->setValue(1500);
        form.link.setMinimumTimeout(1500);

        QTest::mouseClick(dialog->btnCalcTimeout, Qt::LeftButton);

        QVERIFY2(form.messages.isEmpty(), qPrintable(form.messages.value(0).text));
        QCOMPARE(unit.repliesSent(), 5);
        const QString label = dialog->lblTestTimeout->text();
        QVERIFY2(label.endsWith(QStringLiteral(" msec")), qPrintable(label));
        const int ms = label.chopped(5).toInt();
        QVERIFY2(ms >= 40 && ms < 1000, qPrintable(label));
        QCOMPARE(dialog->sedtExtTimeout->value(), 0);
        QCOMPARE(form.link.minimumTimeout(), 1500); // only OK stores
        QVERIFY(dialog->isVisible());
        QVERIFY(!form.portCom.IsOpen());

        QTest::mouseClick(dialog->OKBtn, Qt::LeftButton);
        QCOMPARE(form.link.minimumTimeout(), 0);
    }

    void probeOnAPortThatDoesNotOpen() {
        InTemporaryFolder folder;
        TestForm form;
        form.portCom.setDevicePath(folder.file(QStringLiteral("no-such-device")).toStdString());
        TfrmExtTimeout* dialog = form.frmExtTimeout;
        form.link.setMinimumTimeout(700);
        form.ExtendedTimeouts1Click();

        QTest::mouseClick(dialog->btnCalcTimeout, Qt::LeftButton);

        QCOMPARE(form.messages.size(), 1);
        QCOMPARE(form.messages.first().icon, QMessageBox::Critical);
        QCOMPARE(form.messages.first().text, QStringLiteral("Failed to open COM port"));
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->lblTestTimeout->text(), QStringLiteral("0 msec"));
        QCOMPARE(form.link.minimumTimeout(), 700);
        QVERIFY(!form.gate.busy());
    }

    // One port, one sequence number: a probe never starts inside another operation.
    void probeRefusedWhileAnotherOperationHoldsThePort() {
        InTemporaryFolder folder;
        PtyPeer unit("0100", 0ms);
        QVERIFY(unit.ready());
        TestForm form;
        form.portCom.setDevicePath(unit.devicePath());
        TfrmExtTimeout* dialog = form.frmExtTimeout;
        form.ExtendedTimeouts1Click();
        dialog->sedtExtTimeout->setValue(400);
        form.runOperation([&] { QTest::mouseClick(dialog->btnCalcTimeout, Qt::LeftButton); });
        QCOMPARE(dialog->lblTestTimeout->text(), QStringLiteral("0 msec"));
        QCOMPARE(dialog->sedtExtTimeout->value(), 400);
        QVERIFY(form.messages.isEmpty());
        QTest::qWait(100);
        QCOMPARE(unit.requestsSeen(), 0);
    }
};

QTEST_MAIN(ExtTimeoutTest)
#include "extTimeoutTest.moc"
