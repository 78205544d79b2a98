// The Extend Timeout dialog: the minimum reply time-out it stores and the probe behind
// "Calc.", run against the simulated network at the far end of a pseudo-terminal.

#include "extTimeout.h"
#include "maskedEdit.h"
#include "testForm.h"
#include "tests/support/windowRun.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace {

// One controller at LA 01 that answers about 80 ms after each request; nothing at LA 02.
constexpr const char* kNetwork = R"({
  "latencyMs": 80,
  "controllers": [
    { "name": "c1", "la": "01", "fixedAddress": "0001A2B3", "productId": 5, "version": "2.01" }
  ]
})";

int labelMs(const QString& label) {
    return label.endsWith(QStringLiteral(" msec")) ? label.chopped(5).toInt() : -1;
}

} // namespace

class ExtTimeoutTest : public QObject {
    Q_OBJECT

private slots:
    void dialogAsCreated() {
        InTemporaryFolder folder;
        TestForm form;
        TfrmExtTimeout* dialog = named<TfrmExtTimeout>(form, "frmExtTimeout");
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
        QCOMPARE(form.bus().link().minimumTimeout(), 0);
    }

    void okStoresCancelKeeps() {
        InTemporaryFolder folder;
        TestForm form;
        TfrmExtTimeout* dialog = named<TfrmExtTimeout>(form, "frmExtTimeout");
        named<QAction>(form, "ExtendedTimeouts1")->trigger();
        QVERIFY(dialog->isVisible());
        dialog->sedtExtTimeout->setValue(2000);
        QTest::mouseClick(dialog->OKBtn, Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(form.bus().link().minimumTimeout(), 2000);

        named<QAction>(form, "ExtendedTimeouts1")->trigger();
        QCOMPARE(dialog->sedtExtTimeout->value(), 2000); // fields kept between showings
        dialog->sedtExtTimeout->setValue(300);
        QTest::mouseClick(dialog->CancelBtn, Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(form.bus().link().minimumTimeout(), 2000);
        named<QAction>(form, "ExtendedTimeouts1")->trigger();
        QCOMPARE(dialog->sedtExtTimeout->value(), 300);

        QTest::keyClick(dialog, Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(form.bus().link().minimumTimeout(), 2000);
    }

    // Enter stores what was typed into the spin edit; an emptied spin edit counts as 0.
    void keyboardOfTheDialog() {
        InTemporaryFolder folder;
        TestForm form;
        TfrmExtTimeout* dialog = named<TfrmExtTimeout>(form, "frmExtTimeout");
        named<QAction>(form, "ExtendedTimeouts1")->trigger();
        QVERIFY(QTest::qWaitForWindowActive(dialog));

        dialog->OKBtn->setFocus();
        QStringList order{QApplication::focusWidget()->objectName()};
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* focus = QApplication::focusWidget();
            if (qobject_cast<QLineEdit*>(focus) && focus->parentWidget() == dialog->sedtExtTimeout)
                focus = dialog->sedtExtTimeout; // the spin edit's own text field
            order << focus->objectName();
        }
        QCOMPARE(order, (QStringList{"OKBtn", "CancelBtn", "sedtExtTimeout", "btnCalcTimeout",
                                     "edtTestTimeout", "OKBtn"}));

        dialog->sedtExtTimeout->setFocus();
        dialog->sedtExtTimeout->selectAll();
        QTest::keyClicks(dialog->sedtExtTimeout, QStringLiteral("2500"));
        QTest::keyClick(dialog->sedtExtTimeout, Qt::Key_Return);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(form.bus().link().minimumTimeout(), 2500);

        named<QAction>(form, "ExtendedTimeouts1")->trigger();
        dialog->sedtExtTimeout->setFocus();
        dialog->sedtExtTimeout->selectAll();
        QTest::keyClick(dialog->sedtExtTimeout, Qt::Key_Backspace);
        QCOMPARE(dialog->sedtExtTimeout->text(), QString());
        QTest::mouseClick(dialog->OKBtn, Qt::LeftButton);
        QCOMPARE(form.bus().link().minimumTimeout(), 0);
        QCOMPARE(dialog->sedtExtTimeout->value(), 0);
    }

    void probeMeasuresAnAnsweringUnit() {
        InTemporaryFolder folder;
        TestForm form;
        SimulatedBus line(form, kNetwork);
        QVERIFY(line.ready);
        TfrmExtTimeout* dialog = named<TfrmExtTimeout>(form, "frmExtTimeout");
        named<QAction>(form, "ExtendedTimeouts1")->trigger();
        dialog->sedtExtTimeout->setValue(1500);
        form.bus().link().setMinimumTimeout(1500);
        QElapsedTimer elapsed;
        elapsed.start();

        QVERIFY(clickAndWait(form, dialog->btnCalcTimeout));

        QVERIFY2(form.messages.isEmpty(), qPrintable(form.messages.value(0).text));
        QCOMPARE(line.simulator.unit("c1")->commands.size(), std::size_t(5));
        const int ms = labelMs(dialog->lblTestTimeout->text());
        QVERIFY2(ms >= 80 && ms < 300, qPrintable(dialog->lblTestTimeout->text()));
        QVERIFY(elapsed.elapsed() >= 5 * 80 + 1000); // five replies and five pauses
        QCOMPARE(dialog->sedtExtTimeout->value(), 0);
        QCOMPARE(form.bus().link().minimumTimeout(), 1500); // only OK stores
        QVERIFY(dialog->isVisible());
        QVERIFY(!form.bus().port().IsOpen());

        QTest::mouseClick(dialog->OKBtn, Qt::LeftButton);
        QCOMPARE(form.bus().link().minimumTimeout(), 0);
    }

    // Two probes of 5000 ms each, then the probe gives up.
    void probeOfAnAddressWhereNoUnitAnswers() {
        InTemporaryFolder folder;
        TestForm form;
        SimulatedBus line(form, kNetwork);
        QVERIFY(line.ready);
        TfrmExtTimeout* dialog = named<TfrmExtTimeout>(form, "frmExtTimeout");
        named<QAction>(form, "ExtendedTimeouts1")->trigger();
        dialog->edtTestTimeout->setFieldText(QStringLiteral("0200"));
        dialog->sedtExtTimeout->setValue(800);
        QElapsedTimer elapsed;
        elapsed.start();

        QVERIFY(clickAndWait(form, dialog->btnCalcTimeout));

        QVERIFY(elapsed.elapsed() >= 2 * 5000 + 2 * 200);
        QVERIFY(elapsed.elapsed() < 12000);
        QCOMPARE(line.frames().size(), qsizetype(2));
        QCOMPARE(dialog->lblTestTimeout->text(), QStringLiteral("0 msec"));
        QCOMPARE(dialog->sedtExtTimeout->value(), 0);
        QVERIFY(form.messages.isEmpty());
        QVERIFY(dialog->isVisible());
        QVERIFY(!form.bus().port().IsOpen());
    }

    void probeOnAPortThatDoesNotOpen() {
        InTemporaryFolder folder;
        TestForm form;
        form.bus().port().setDevicePath(
            folder.file(QStringLiteral("no-such-device")).toStdString());
        TfrmExtTimeout* dialog = named<TfrmExtTimeout>(form, "frmExtTimeout");
        form.bus().link().setMinimumTimeout(700);
        named<QAction>(form, "ExtendedTimeouts1")->trigger();

        QVERIFY(clickAndWait(form, dialog->btnCalcTimeout));

        QCOMPARE(form.messages.size(), 1);
        QCOMPARE(form.messages.first().icon, QMessageBox::Critical);
        QVERIFY(form.messages.first().text.startsWith(QStringLiteral("Failed to open COM port\n")));
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->lblTestTimeout->text(), QStringLiteral("0 msec"));
        QCOMPARE(form.bus().link().minimumTimeout(), 700);
    }

    // One port, one sequence number: a probe never starts inside another operation.
    void probeRefusedWhileAnotherOperationHoldsThePort() {
        InTemporaryFolder folder;
        TestForm form;
        SimulatedBus line(form, kNetwork);
        QVERIFY(line.ready);
        TfrmExtTimeout* dialog = named<TfrmExtTimeout>(form, "frmExtTimeout");
        named<QAction>(form, "ExtendedTimeouts1")->trigger();
        dialog->sedtExtTimeout->setValue(400);
        HeldOperation held(form);
        QVERIFY(held.start());
        QTest::mouseClick(dialog->btnCalcTimeout, Qt::LeftButton);
        QCOMPARE(dialog->lblTestTimeout->text(), QStringLiteral("0 msec"));
        QCOMPARE(dialog->sedtExtTimeout->value(), 400);
        held.release();
        QVERIFY(runEnds(form));
        QVERIFY(form.messages.isEmpty());
        QCOMPARE(line.frames().size(), qsizetype(0));
    }
};

QTEST_MAIN(ExtTimeoutTest)
#include "extTimeoutTest.moc"
