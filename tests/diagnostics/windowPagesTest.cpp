// The Misc page and the System Tools page driven by clicks against the simulated network on a
// pseudo-terminal, as an operator uses them.

#include "tests/app/testForm.h"
#include "tests/support/windowRun.h"

#include "logView.h"
#include "maskedEdit.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>

namespace {

const char* kNetwork = R"({
  "controllers": [
    { "name": "c1", "la": "01", "fixedAddress": "10000001", "productId": 5,
      "terminals": [ { "name": "t1", "la": "01", "fixedAddress": "20000101", "productId": 3 } ] }
  ]
})";

void typeInto(MaskedEdit* edit, const QString& keys) {
    edit->setFocus();
    edit->setCursorPosition(0);
    QTest::keyClicks(edit, keys);
}

QStringList texts(const QList<ShownMessage>& messages) {
    QStringList out;
    for (const ShownMessage& m : messages)
        out << m.text;
    return out;
}

} // namespace

class WindowPagesTest : public QObject {
    Q_OBJECT

private slots:
    void miscPageByClicks() {
        InTemporaryFolder folder;
        TestForm form;
        SimulatedBus line(form, kNetwork);
        QVERIFY(line.ready);
        form.show();
        named<QTabWidget>(form, "pgUpgrade")->setCurrentWidget(named<QWidget>(form, "tbsMisc"));

        // A terminal's new LA, verified at its new address.
        typeInto(named<MaskedEdit>(form, "edtFA"), QStringLiteral("20000101"));
        typeInto(named<MaskedEdit>(form, "edtLA"), QStringLiteral("0105"));
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnSetLA")));
        QCOMPARE(texts(form.messages), QStringList{QStringLiteral("Done!")});
        QCOMPARE(int(line.unit("t1").la), 0x05);

        // Three message lines, one with a quote, in the controller and its terminals.
        typeInto(named<MaskedEdit>(form, "medLine1"), QStringLiteral("Say \"hi\""));
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnSetMess")));
        QCOMPARE(line.unit("c1").message.at(0), std::string("Say \"hi\"        "));
        QCOMPARE(line.unit("c1").message.at(1), std::string(16, ' '));

        // On its indicator: a wide radio button takes clicks only on its indicator and text.
        QTest::mouseClick(named<QRadioButton>(form, "rbRS232"), Qt::LeftButton, {},
                          QPoint(6, named<QRadioButton>(form, "rbRS232")->height() / 2));
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnPort")));
        QCOMPARE(line.unit("c1").port2Mode, 0);
        QCOMPARE(form.messages.last().text, QStringLiteral("Done!"));

        // No leaves the memory alone; Yes clears it and tells how long it takes. The question
        // is answered on the window's thread while the run waits for it: nothing goes out
        // until the answer, however long the operator takes.
        const qsizetype framesBefore = line.frames().size();
        form.answer = QMessageBox::No;
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnClearMem")));
        QCOMPARE(form.messages.last().text, QStringLiteral("Are you sure?"));
        QCOMPARE(form.messages.last().icon, QMessageBox::Information);
        QCOMPARE(line.frames().size(), framesBefore);
        QCOMPARE(line.unit("c1").memoryClears, 0);
        form.answer = QMessageBox::Yes;
        qsizetype framesWhileAsked = -1;
        bool runWaited = false;
        form.beforeAnswer = [&](const QString& text) {
            if (text != QStringLiteral("Are you sure?")) return;
            QTest::qWait(300); // the operator reads the question
            framesWhileAsked = line.frames().size();
            runWaited = form.bus().session().busy();
        };
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnClearMem")));
        QCOMPARE(framesWhileAsked, framesBefore);
        QVERIFY(runWaited);
        QCOMPARE(form.messages.last().text,
                 QStringLiteral("Unit will reset then Clear Memory +/- 30sec."));
        QCOMPARE(line.unit("c1").memoryClears, 1);

        QCOMPARE(line.frames(),
                 (QStringList{"01FF:042000010105", "0105:01",
                              "0100:38\"Say \\\"hi\\\"        \",\"                \","
                              "\"                \"",
                              "01FF:38\"Say \\\"hi\\\"        \",\"                \","
                              "\"                \"",
                              "0100:2D0", "0100:09"}));
        QVERIFY(!form.bus().port().IsOpen());
    }

    // The question as the window shows it: one Enter answers No, and nothing goes out.
    void enterOnAreYouSureKeepsTheMemory() {
        InTemporaryFolder folder;
        TestForm form;
        form.realBoxes = true;
        SimulatedBus line(form, kNetwork);
        QVERIFY(line.ready);
        form.show();
        named<QTabWidget>(form, "pgUpgrade")->setCurrentWidget(named<QWidget>(form, "tbsMisc"));
        QStringList boxesAnswered;
        QTimer operatorAtTheKeys;
        connect(&operatorAtTheKeys, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            boxesAnswered << box->text();
            QTest::keyClick(box, Qt::Key_Return);
        });
        operatorAtTheKeys.start(20);
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnClearMem")));
        operatorAtTheKeys.stop();
        QCOMPARE(boxesAnswered, QStringList{QStringLiteral("Are you sure?")});
        QVERIFY(line.frames().isEmpty());
        QCOMPARE(line.unit("c1").memoryClears, 0);
    }

    void resetButtonByClick() {
        InTemporaryFolder folder;
        TestForm form;
        SimulatedBus line(form, kNetwork);
        QVERIFY(line.ready);
        form.show();
        named<QTabWidget>(form, "pgUpgrade")->setCurrentWidget(named<QWidget>(form, "tbsPing"));
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnReset")));
        QTRY_COMPARE(line.frames(), (QStringList{"FFFF:08", "FF00:08"}));
        QVERIFY(form.messages.isEmpty());
    }

    void commsTestByClicks() {
        InTemporaryFolder folder;
        TestForm form;
        SimulatedBus line(form, kNetwork);
        QVERIFY(line.ready);
        form.show();
        named<QTabWidget>(form, "pgUpgrade")->setCurrentWidget(named<QWidget>(form, "tbsPing"));

        // Without a survey nothing is sent.
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnCommsTest")));
        QVERIFY(named<LogView>(form, "mmoReport")
                    ->lines()
                    .contains(QStringLiteral("Click on Ping button before running Comms Test!")));
        QVERIFY(line.frames().isEmpty());

        // "&Ping" fills the survey table that the comms test reads.
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnPing")));
        QCOMPARE(named<LogView>(form, "mmoReport")->lines().last(), QStringLiteral("Finished."));
        named<MaskedEdit>(form, "edtCLA")->setFieldText(QStringLiteral("0101"));
        bool busyDuringRun = false;
        QTimer::singleShot(0, &form, [&] {
            busyDuringRun =
                named<QPushButton>(form, "btnCommsTest")->text() == QStringLiteral("&Stop") &&
                !named<QPushButton>(form, "btnPing")->isEnabled() &&
                !named<MaskedEdit>(form, "edtCLA")->isEnabled();
            // Refused while the comms test holds the line: no reset goes out.
            QTest::mouseClick(named<QPushButton>(form, "btnReset"), Qt::LeftButton);
        });
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnCommsTest")));
        QVERIFY(busyDuringRun);
        const QStringList report = named<LogView>(form, "mmoReport")->lines();
        QVERIFY(report.contains(QStringLiteral("Unit Logical Address [CCTT]: 0101")));
        QVERIFY(!report.contains(QStringLiteral("Unit Logical Address [CCTT]: 0100")));
        QCOMPARE(report.last(), QStringLiteral("Finished."));
        QCOMPARE(named<QLabel>(form, "lblProgress")->text(),
                 QStringLiteral("Pass rate: 100%  [16/0]"));
        QCOMPARE(named<QLabel>(form, "lblCycle")->text(), QStringLiteral("Cycles: 1"));
        QVERIFY(!line.frames().contains(QStringLiteral("FFFF:08")));
        QCOMPARE(named<QPushButton>(form, "btnCommsTest")->text(), QStringLiteral("&Comms Test"));
        QVERIFY(named<QPushButton>(form, "btnPing")->isEnabled() &&
                named<MaskedEdit>(form, "edtCLA")->isEnabled());
    }

    void fastPollByClicksUntilStop() {
        InTemporaryFolder folder;
        TestForm form;
        SimulatedBus line(form, kNetwork);
        QVERIFY(line.ready);
        form.show();
        named<QTabWidget>(form, "pgUpgrade")->setCurrentWidget(named<QWidget>(form, "tbsPing"));

        QTest::mouseClick(named<QCheckBox>(form, "ckFastPoll"), Qt::LeftButton, {},
                          QPoint(6, named<QCheckBox>(form, "ckFastPoll")->height() / 2));
        QVERIFY(named<QCheckBox>(form, "ckFastPoll")->isChecked());
        QVERIFY(!named<MaskedEdit>(form, "edtCycles")->isEnabled());
        QCOMPARE(named<MaskedEdit>(form, "edtCLA")->fieldText(), QStringLiteral("01"));

        // The second click of the button stops the display a little later.
        QStringList shown;
        QTimer::singleShot(1200, &form, [&] {
            shown = named<LogView>(form, "mmoReport")->lines();
            QTest::mouseClick(named<QPushButton>(form, "btnCommsTest"), Qt::LeftButton);
        });
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnCommsTest")));
        QVERIFY(!shown.isEmpty());
        QCOMPARE(
            shown.first(),
            QStringLiteral("# Monitoring of low-level Fast Poll communication timeouts       #"));
        QVERIFY(shown.at(1).startsWith(QStringLiteral("  Terminal LA: 01 02 ")));
        QCOMPARE(named<LogView>(form, "mmoReport")->lines().last(), QStringLiteral("Finished."));
        QCOMPARE(named<QPushButton>(form, "btnCommsTest")->text(), QStringLiteral("&Comms Test"));
        QVERIFY(named<MaskedEdit>(form, "edtCycles")
                    ->isEnabled()); // enabled again, though the mode disabled it
        int readings = 0;
        for (const QString& frame : line.frames())
            readings += frame == QStringLiteral("0100:A91");
        QVERIFY2(readings >= 2 && readings <= 4, qPrintable(QString::number(readings)));

        QTest::mouseClick(named<QCheckBox>(form, "ckFastPoll"), Qt::LeftButton, {},
                          QPoint(6, named<QCheckBox>(form, "ckFastPoll")->height() / 2));
        QCOMPARE(named<MaskedEdit>(form, "edtCLA")->fieldText(), QStringLiteral("FFFF"));
    }
};

QTEST_MAIN(WindowPagesTest)
#include "windowPagesTest.moc"
