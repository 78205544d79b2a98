// The main window as the operator meets it: caption, defaults, menus, logs.

#include "extTimeout.h"
#include "logView.h"
#include "maskedEdit.h"
#include "radioGroup.h"
#include "testForm.h"
#include "tests/support/windowRun.h"

#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <QThread>
#include <QTimer>

#include <atomic>
#include <cstdlib>

namespace {

const QStringList kNotice = {
    QStringLiteral("-------------------  IMPORTANT NOTICE ----------------------"),
    QStringLiteral("The displayed Controller/Terminal version numbers "),
    QStringLiteral("have changed from hexadecimal to decimal format."),
    QStringLiteral("________________________________________"),
    QString(),
    QString(),
};

QStringList fileLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {QStringLiteral("<unreadable>")};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QAction* menuItem(QActionGroup* group, const QString& caption) {
    for (QAction* action : group->actions())
        if (action->text() == caption) return action;
    return nullptr;
}

// Radio buttons and check boxes take clicks on their indicator and caption only.
void clickIndicator(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

QString field(TForm1& form, const char* name) {
    auto* edit = form.findChild<MaskedEdit*>(QString::fromLatin1(name));
    return edit ? edit->fieldText() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
}

} // namespace

class WindowTest : public QObject {
    Q_OBJECT

private slots:
    // The window destroyed while a run's question waits on its thread: the question is answered
    // No without a box (a box from the destructor would be the window's real one, waiting for
    // an operator who is gone), and the run ends.
    void aQuestionPendingAtDestructionIsAnsweredWithoutABox() {
        InTemporaryFolder folder;
        auto* form = new TestForm;
        std::atomic<bool> asking{false};
        std::atomic<bool> yes{true};
        QVERIFY(form->bus().run(BusOperation::Other, [&](OperationContext&) {
            asking = true;
            yes = form->bus().confirm("Are you sure?");
            return Outcome::completed();
        }));
        while (!asking)
            QThread::msleep(1);
        QThread::msleep(50); // the question is on its way to the window's thread
        bool boxShown = false;
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                boxShown = true;
                box->close();
            }
        });
        closer.start(100);
        delete form;
        QVERIFY(!boxShown);
        QVERIFY(!yes);
    }

    void captionFollowsTheCommsLogFile() {
        InTemporaryFolder folder;
        {
            TestForm form;
            QCOMPARE(form.windowTitle(), QStringLiteral("Nexalo Firmware Upgrade v6.8j"));
            QVERIFY(!form.bus().link().logging());
        }
        writeFile(folder.file(QStringLiteral("qrmcomlog.txt")), QByteArray());
        TestForm form;
        QCOMPARE(form.windowTitle(),
                 QStringLiteral("Nexalo Firmware Upgrade v6.8j - Logging Mode"));
        QVERIFY(form.bus().link().logging());
    }

    void windowShapeAndStartPage() {
        InTemporaryFolder folder;
        TestForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.size(), QSize(571, 459));
        const Qt::WindowFlags flags = form.windowFlags();
        QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QCOMPARE(form.font().family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(form.font().pointSize(), 8);

        auto* pages = form.findChild<QTabWidget*>(QStringLiteral("pgUpgrade"));
        QVERIFY(pages);
        QCOMPARE(pages->count(), 4);
        QCOMPARE(pages->tabText(0), QStringLiteral("Firmware Upgrade"));
        QCOMPARE(pages->tabText(1), QStringLiteral("System Tools"));
        QCOMPARE(pages->tabText(2), QStringLiteral("Misc"));
        QCOMPARE(pages->tabText(3), QStringLiteral("Site"));
        QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("tbsUpgrade"));
    }

    void fieldDefaults() {
        InTemporaryFolder folder;
        TestForm form;
        QCOMPARE(field(form, "edtControllerLA"), QStringLiteral("00"));
        QCOMPARE(field(form, "edtTerminalLA"), QStringLiteral("00"));
        QCOMPARE(field(form, "edtCLA"), QStringLiteral("FFFF"));
        QCOMPARE(field(form, "edtCycles"), QStringLiteral("0001"));
        QCOMPARE(field(form, "edtFA"), QStringLiteral("00000000"));
        QCOMPARE(field(form, "edtLA"), QStringLiteral("0101"));
        QCOMPARE(field(form, "edtMessLA"), QStringLiteral("01"));
        QCOMPARE(field(form, "edtPortLA"), QStringLiteral("01"));
        QCOMPARE(field(form, "edtClrLA"), QStringLiteral("01"));
        for (const char* line : {"medLine1", "medLine2", "medLine3"})
            QCOMPARE(field(form, line), QString(16, QLatin1Char(' ')));

        QCOMPARE(named<RadioGroup>(form, "rgUnitType")->itemIndex(), 0);
        QCOMPARE(named<RadioGroup>(form, "rgUnitType")->itemText(4), QStringLiteral("Remote"));
        QCOMPARE(named<RadioGroup>(form, "rgUpgradeType")->itemIndex(), 0);
        QCOMPARE(named<RadioGroup>(form, "rgUpgradeType")->itemText(2),
                 QStringLiteral("ALL units [one at a time]."));
        QVERIFY(form.findChild<QRadioButton*>(QStringLiteral("rbnTerm"))->isChecked());
        QVERIFY(!form.findChild<QRadioButton*>(QStringLiteral("rbnContr"))->isChecked());
        QVERIFY(form.findChild<QRadioButton*>(QStringLiteral("rbRS485"))->isChecked());
        QVERIFY(!form.findChild<QCheckBox*>(QStringLiteral("ckbForceUpgrade"))->isChecked());
        QVERIFY(!form.findChild<QCheckBox*>(QStringLiteral("ckbClrAll"))->isChecked());
        QVERIFY(!form.findChild<QCheckBox*>(QStringLiteral("ckFastPoll"))->isChecked());
        QCOMPARE(form.findChild<QPushButton*>(QStringLiteral("btnUpgrade"))->text(),
                 QStringLiteral("&Upgrade"));
        QVERIFY(named<QPushButton>(form, "btnUpgrade")->isDefault());
        QCOMPARE(named<QProgressBar>(form, "pgrProgress")->minimum(), 0);
        QCOMPARE(named<QProgressBar>(form, "pgrProgress")->maximum(), 100);
        for (const char* label : {"lblCycle", "lblCLA", "lblProgress"})
            QVERIFY(form.findChild<QLabel*>(QLatin1String(label))->text().isEmpty());
    }

    void fontsWhereTheyMatter() {
        InTemporaryFolder folder;
        TestForm form;
        const QFont la = named<MaskedEdit>(form, "edtControllerLA")->font();
        QCOMPARE(la.family(), QStringLiteral("Courier New"));
        QCOMPARE(la.pointSize(), 10);
        QVERIFY(la.bold());
        QCOMPARE(named<MaskedEdit>(form, "medLine1")->font().family(),
                 QStringLiteral("Courier New"));
        QCOMPARE(named<LogView>(form, "mmoReport")->font().family(), QStringLiteral("Courier New"));
        QCOMPARE(named<LogView>(form, "mmoReport")->font().pointSize(), 8);
        QCOMPARE(named<LogView>(form, "mmoReport")->palette().color(QPalette::Base),
                 QColor(0, 0, 0x80));
        QCOMPARE(named<LogView>(form, "mmoReport")->palette().color(QPalette::Text),
                 QColor(Qt::white));
        QCOMPARE(named<LogView>(form, "mmoReport")->lineWrapMode(), QPlainTextEdit::NoWrap);
        QCOMPARE(named<LogView>(form, "mmoReport")->verticalScrollBarPolicy(),
                 Qt::ScrollBarAlwaysOn);
    }

    // Typing into the window's own fields yields the texts the operations read.
    void typedAddressesAsTheProgramReadsThem() {
        InTemporaryFolder folder;
        TestForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        named<MaskedEdit>(form, "edtTerminalLA")->setFocus();
        named<MaskedEdit>(form, "edtTerminalLA")->selectAll();
        QTest::keyClicks(named<MaskedEdit>(form, "edtTerminalLA"), QStringLiteral("ab"));
        QCOMPARE(named<MaskedEdit>(form, "edtTerminalLA")->fieldText(), QStringLiteral("AB"));

        named<QTabWidget>(form, "pgUpgrade")->setCurrentWidget(named<QWidget>(form, "tbsPing"));
        named<MaskedEdit>(form, "edtCLA")->setFocus();
        named<MaskedEdit>(form, "edtCLA")->selectAll();
        QTest::keyClicks(named<MaskedEdit>(form, "edtCLA"), QStringLiteral("02ff"));
        QCOMPARE(named<MaskedEdit>(form, "edtCLA")->fieldText(), QStringLiteral("02FF"));
    }

    // Each box that holds an address keeps the hex digits of what is typed or pasted into it,
    // whichever mask it has at the moment; the cycle count keeps digits.
    void addressBoxesTakeHexDigitsOnly() {
        InTemporaryFolder folder;
        TestForm form;
        const auto typed = [](MaskedEdit* edit, const QString& keys) {
            edit->setFocus();
            edit->selectAll();
            QTest::keyClicks(edit, keys);
            return edit->fieldText().trimmed();
        };
        const auto pasted = [](MaskedEdit* edit, const QString& text) {
            QGuiApplication::clipboard()->setText(text);
            edit->selectAll();
            QTest::keySequence(edit, QKeySequence::Paste);
            return edit->fieldText().trimmed();
        };
        QList<MaskedEdit*> boxes = {named<MaskedEdit>(form, "edtControllerLA"),
                                    named<MaskedEdit>(form, "edtTerminalLA"),
                                    named<MaskedEdit>(form, "edtCLA"),
                                    named<MaskedEdit>(form, "edtFA"),
                                    named<MaskedEdit>(form, "edtLA"),
                                    named<MaskedEdit>(form, "edtMessLA"),
                                    named<MaskedEdit>(form, "edtPortLA"),
                                    named<MaskedEdit>(form, "edtClrLA"),
                                    named<TfrmExtTimeout>(form, "frmExtTimeout")->edtTestTimeout};
        for (MaskedEdit* edit : boxes) {
            QCOMPARE(typed(edit, QStringLiteral("G1ZZ")), QStringLiteral("1"));
            QCOMPARE(pasted(edit, QStringLiteral("zq2")), QStringLiteral("2"));
            QCOMPARE(typed(edit, QStringLiteral("ab")), QStringLiteral("AB"));
        }
        named<QRadioButton>(form, "rbnContr")->click();
        clickIndicator(named<QCheckBox>(form, "ckFastPoll"));
        QVERIFY(named<QCheckBox>(form, "ckFastPoll")->isChecked());
        for (MaskedEdit* edit :
             {named<MaskedEdit>(form, "edtLA"), named<MaskedEdit>(form, "edtCLA")})
            QCOMPARE(typed(edit, QStringLiteral("x7g")), QStringLiteral("7"));
        clickIndicator(named<QCheckBox>(form, "ckFastPoll"));
        QCOMPARE(typed(named<MaskedEdit>(form, "edtCycles"), QStringLiteral("1f2")),
                 QStringLiteral("12"));
    }

    void setLAFieldFollowsTheUnitKind() {
        InTemporaryFolder folder;
        TestForm form;
        named<QTabWidget>(form, "pgUpgrade")->setCurrentWidget(named<QWidget>(form, "tbsMisc"));
        form.show();
        clickIndicator(named<QRadioButton>(form, "rbnContr"));
        QCOMPARE(named<MaskedEdit>(form, "edtLA")->fieldText(), QStringLiteral("01"));
        clickIndicator(named<QRadioButton>(form, "rbnTerm"));
        QCOMPARE(named<MaskedEdit>(form, "edtLA")->fieldText(), QStringLiteral("0101"));
        clickIndicator(named<QCheckBox>(form, "ckbClrAll"));
        QVERIFY(!named<MaskedEdit>(form, "edtClrLA")->isEnabled());
        clickIndicator(named<QCheckBox>(form, "ckbClrAll"));
        QVERIFY(named<MaskedEdit>(form, "edtClrLA")->isEnabled());
    }

    void portAndBaudMenusReachThePort() {
        InTemporaryFolder folder;
        {
            TestForm form;
            QCOMPARE(form.bus().port().ComPort(), pnCOM1);
            QCOMPARE(form.bus().port().ComPortSpeed(), br38400);
            QVERIFY(menuItem(named<QActionGroup>(form, "portItems"), QStringLiteral("COM1"))
                        ->isChecked());
            QVERIFY(menuItem(named<QActionGroup>(form, "baudItems"), QStringLiteral("38400"))
                        ->isChecked());
            QCOMPARE(named<QActionGroup>(form, "portItems")->actions().size(),
                     9); // COM1 to COM8, Network...
            QCOMPARE(named<QActionGroup>(form, "baudItems")->actions().size(), 7);

            menuItem(named<QActionGroup>(form, "portItems"), QStringLiteral("COM3"))->trigger();
            QCOMPARE(form.bus().port().ComPort(), pnCOM3);
            QVERIFY(!menuItem(named<QActionGroup>(form, "portItems"), QStringLiteral("COM1"))
                         ->isChecked());
            QVERIFY(menuItem(named<QActionGroup>(form, "portItems"), QStringLiteral("COM3"))
                        ->isChecked());
            menuItem(named<QActionGroup>(form, "portItems"), QStringLiteral("COM8"))->trigger();
            QCOMPARE(form.bus().port().ComPort(), pnCOM8);

            menuItem(named<QActionGroup>(form, "baudItems"), QStringLiteral("1200"))->trigger();
            QCOMPARE(form.bus().port().ComPortSpeed(), br1200);
            menuItem(named<QActionGroup>(form, "baudItems"), QStringLiteral("57600"))->trigger();
            QCOMPARE(form.bus().port().ComPortSpeed(), br57600);
            QCOMPARE(named<QActionGroup>(form, "baudItems")->checkedAction()->text(),
                     QStringLiteral("57600"));
        }
        TestForm restarted;
        QCOMPARE(restarted.bus().port().ComPort(), pnCOM1);
        QCOMPARE(restarted.bus().port().ComPortSpeed(), br38400);
    }

    // A network address holds like a COM item until another port is chosen; one not given
    // leaves the port and its tick as they were, and one not well formed is offered again as
    // it was typed, the cursor where it stood, until it is mended or the question cancelled.
    void networkItemTakesAnAddressForTheRun() {
        InTemporaryFolder folder;
        TestForm form;
        QAction* network =
            menuItem(named<QActionGroup>(form, "portItems"), QStringLiteral("Network..."));
        QCOMPARE(named<QActionGroup>(form, "portItems")->actions().constLast(), network);
        form.networkAnswers = {{QStringLiteral(" tcp://127.0.0.1:4001 ")}};
        network->trigger();
        QCOMPARE(form.bus().port().resolvedDevicePath(), std::string("tcp://127.0.0.1:4001"));
        QCOMPARE(named<QActionGroup>(form, "portItems")->checkedAction(), network);

        network->trigger(); // cancelled
        QCOMPARE(form.networkOffers.constLast().text, QStringLiteral("tcp://127.0.0.1:4001"));
        QCOMPARE(named<QActionGroup>(form, "portItems")->checkedAction(), network);
        QCOMPARE(form.bus().port().resolvedDevicePath(), std::string("tcp://127.0.0.1:4001"));

        menuItem(named<QActionGroup>(form, "portItems"), QStringLiteral("COM3"))->trigger();
        QCOMPARE(form.bus().port().resolvedDevicePath(), devicePathForPort(pnCOM3));
        form.networkOffers.clear();
        form.networkAnswers = {{QStringLiteral("rfc2217://server"), 10}}; // then cancelled
        network->trigger();
        QCOMPARE(form.messages.size(), 1);
        QVERIFY(form.messages.constLast().text.contains(QStringLiteral("rfc2217://server")));
        QCOMPARE(form.networkOffers.size(), 2);
        QCOMPARE(form.networkOffers.constLast().text, QStringLiteral("rfc2217://server"));
        QCOMPARE(form.networkOffers.constLast().cursor, 10);
        QCOMPARE(named<QActionGroup>(form, "portItems")->checkedAction()->text(),
                 QStringLiteral("COM3"));
        QCOMPARE(form.bus().port().resolvedDevicePath(), devicePathForPort(pnCOM3));

        form.networkAnswers = {{QStringLiteral("tcp://host"), 6},
                               {QStringLiteral("tcp://host:4001")}};
        network->trigger();
        QCOMPARE(form.messages.size(), 2);
        QCOMPARE(form.networkOffers.constLast().text, QStringLiteral("tcp://host"));
        QCOMPARE(form.bus().port().resolvedDevicePath(), std::string("tcp://host:4001"));
        QCOMPARE(named<QActionGroup>(form, "portItems")->checkedAction(), network);
    }

    // The window's own dialog and warning, answered at the keys: the address comes back as it
    // was typed, the cursor where the operator left it.
    void aRefusedAddressReopensTheDialogAsTyped() {
        InTemporaryFolder folder;
        TestForm form;
        form.realBoxes = true;
        form.realNetworkDialog = true;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QStringList seen;
        int cursorOffered = -2;
        QTimer operatorAtTheKeys;
        connect(&operatorAtTheKeys, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                seen << QStringLiteral("warning");
                QTest::keyClick(box, Qt::Key_Return);
            } else if (auto* dialog = qobject_cast<QInputDialog*>(modal)) {
                auto* edit = dialog->findChild<QLineEdit*>();
                if (edit == nullptr || !edit->isVisible()) return;
                seen << edit->text();
                if (seen.size() == 1) {
                    edit->selectAll();
                    QTest::keyClicks(edit, QStringLiteral("tcp://serverA:40x1"));
                    edit->setCursorPosition(13); // after "serverA"
                    QTest::keyClick(edit, Qt::Key_Return);
                } else {
                    cursorOffered = edit->cursorPosition();
                    QTest::keyClick(edit, Qt::Key_Escape);
                }
            }
        });
        operatorAtTheKeys.start(20);
        named<QAction>(form, "Network1")->trigger();
        operatorAtTheKeys.stop();
        QCOMPARE(seen, (QStringList{QStringLiteral("tcp://"), QStringLiteral("warning"),
                                    QStringLiteral("tcp://serverA:40x1")}));
        QCOMPARE(cursorOffered, 13);
        QCOMPARE(named<QActionGroup>(form, "portItems")->checkedAction()->text(),
                 QStringLiteral("COM1"));
    }

    void enterClicksTheDefaultButtonOnItsPage() {
        InTemporaryFolder folder;
        TestForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QSignalSpy upgrade(named<QPushButton>(form, "btnUpgrade"), &QPushButton::clicked);
        QTest::keyClick(named<MaskedEdit>(form, "edtTerminalLA"), Qt::Key_Return);
        QTest::keyClick(named<RadioGroup>(form, "rgUnitType"), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(upgrade.count(), 2);

        QTest::keyClick(named<LogView>(form, "mmoStatus"),
                        Qt::Key_Return); // the log keeps its Enter
        named<QTabWidget>(form, "pgUpgrade")->setCurrentWidget(named<QWidget>(form, "tbsPing"));
        QTest::keyClick(named<MaskedEdit>(form, "edtCLA"), Qt::Key_Return);
        QCOMPARE(upgrade.count(), 2);
    }

    void helpIsDisabled() {
        InTemporaryFolder folder;
        TestForm form;
        QStringList titles;
        for (QAction* action : form.menuBar()->actions()) {
            titles << action->text();
            if (action->text() == QStringLiteral("&Help")) QVERIFY(!action->isEnabled());
        }
        QCOMPARE(titles,
                 (QStringList{QStringLiteral("&Config"), QStringLiteral("&File Versions"),
                              QStringLiteral("Firmware &History"), QStringLiteral("&Help")}));
    }

    void startupNoticeAndLogLines() {
        InTemporaryFolder folder;
        TestForm form;
        QCOMPARE(named<LogView>(form, "mmoStatus")->lines(), kNotice);
        form.bus().status("Unit 0100 Upgrade OK.");
        QCOMPARE(named<LogView>(form, "mmoStatus")->lines().size(), 7);
        QCOMPARE(named<LogView>(form, "mmoStatus")->lines().last(),
                 QStringLiteral("Unit 0100 Upgrade OK."));

        form.bus().report("");
        form.bus().report("first");
        form.bus().replaceLastReportLine("Pass rate 50%");
        form.bus().replaceLastReportLine("Pass rate 100%");
        QCOMPARE(named<LogView>(form, "mmoReport")->lines(),
                 (QStringList{QString(), QStringLiteral("Pass rate 100%")}));
        form.bus().progress(30, 0, 60);
        QCOMPARE(named<QProgressBar>(form, "pgrProgress")->value(), 30);
        QCOMPARE(named<QProgressBar>(form, "pgrProgress")->maximum(), 60);
    }

    void doubleClickClearsALog() {
        InTemporaryFolder folder;
        TestForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::mouseDClick(named<LogView>(form, "mmoStatus")->viewport(), Qt::LeftButton);
        QVERIFY(named<LogView>(form, "mmoStatus")->lines().isEmpty());
        form.bus().status("after");
        QCOMPARE(named<LogView>(form, "mmoStatus")->lines(), QStringList{QStringLiteral("after")});

        named<QTabWidget>(form, "pgUpgrade")->setCurrentWidget(named<QWidget>(form, "tbsPing"));
        form.bus().report("survey line");
        QTest::mouseDClick(named<LogView>(form, "mmoReport")->viewport(), Qt::LeftButton);
        QVERIFY(named<LogView>(form, "mmoReport")->lines().isEmpty());
        QCOMPARE(named<LogView>(form, "mmoStatus")->lines(), QStringList{QStringLiteral("after")});
    }

    void saveWritesTheLogOfTheShowingPage() {
        InTemporaryFolder folder;
        TestForm form;
        form.bus().report("Controller 01  Fixed 0000ABCD");
        form.bus().report("  Terminal 0102");

        form.savePath = folder.file(QStringLiteral("status.txt"));
        form.Save1Click();
        QCOMPARE(fileLines(form.savePath), kNotice);

        named<QTabWidget>(form, "pgUpgrade")->setCurrentWidget(named<QWidget>(form, "tbsPing"));
        form.savePath = folder.file(QStringLiteral("report.txt"));
        form.Save1Click();
        QCOMPARE(fileLines(form.savePath),
                 (QStringList{QStringLiteral("Controller 01  Fixed 0000ABCD"),
                              QStringLiteral("  Terminal 0102")}));

        named<QTabWidget>(form, "pgUpgrade")->setCurrentWidget(named<QWidget>(form, "tbsMisc"));
        form.savePath = folder.file(QStringLiteral("misc.txt"));
        form.Save1Click();
        QCOMPARE(fileLines(form.savePath).size(), 2);
        QVERIFY(form.messages.isEmpty());
    }

    void saveThatCannotWriteShowsTheError() {
        InTemporaryFolder folder;
        TestForm form;
        form.savePath = folder.file(QStringLiteral("missing/folder/log.txt"));
        form.Save1Click();
        QCOMPARE(form.messages.size(), 1);
        QCOMPARE(form.messages.first().icon, QMessageBox::Critical);
        QVERIFY(form.messages.first().text.contains(form.savePath));
        QCOMPARE(named<LogView>(form, "mmoStatus")->lines(), kNotice);

        form.savePath.clear(); // cancelled
        form.Save1Click();
        QCOMPARE(form.messages.size(), 1);
    }

    void openReplacesTheShowingLog() {
        InTemporaryFolder folder;
        TestForm form;
        form.openPath = folder.file(QStringLiteral("old.txt"));
        writeFile(form.openPath, "line one\r\n\r\n  line three\r\n");
        named<QTabWidget>(form, "pgUpgrade")->setCurrentWidget(named<QWidget>(form, "tbsPing"));
        form.bus().report("will be replaced");
        form.Open1Click();
        QCOMPARE(
            named<LogView>(form, "mmoReport")->lines(),
            (QStringList{QStringLiteral("line one"), QString(), QStringLiteral("  line three")}));
        QCOMPARE(named<LogView>(form, "mmoStatus")->lines(), kNotice);

        named<QTabWidget>(form, "pgUpgrade")->setCurrentWidget(named<QWidget>(form, "tbsUpgrade"));
        writeFile(form.openPath, "no line end");
        form.Open1Click();
        QCOMPARE(named<LogView>(form, "mmoStatus")->lines(),
                 QStringList{QStringLiteral("no line end")});
        form.bus().status("next");
        QCOMPARE(named<LogView>(form, "mmoStatus")->lines().size(), 2);
    }

    void openThatCannotReadKeepsTheLog() {
        InTemporaryFolder folder;
        TestForm form;
        form.openPath = folder.file(QStringLiteral("absent.txt"));
        form.Open1Click();
        QCOMPARE(form.messages.size(), 1);
        QVERIFY(form.messages.first().text.contains(form.openPath));
        QCOMPARE(named<LogView>(form, "mmoStatus")->lines(), kNotice);

        form.openPath.clear(); // cancelled
        form.Open1Click();
        QCOMPARE(form.messages.size(), 1);
        QCOMPARE(named<LogView>(form, "mmoStatus")->lines(), kNotice);
    }

    void saveThenOpenRoundTrips() {
        InTemporaryFolder folder;
        TestForm form;
        form.bus().status("  Version 2.05 ");
        form.savePath = form.openPath = folder.file(QStringLiteral("log.txt"));
        form.Save1Click();
        const QStringList before = named<LogView>(form, "mmoStatus")->lines();
        emit named<LogView>(form, "mmoStatus")->doubleClicked();
        form.Open1Click();
        QCOMPARE(named<LogView>(form, "mmoStatus")->lines(), before);
    }

    // While an operation holds the bus its button is its Stop, and the line's settings and a
    // second operation are refused; closing the window is a Stop, and the window closes once
    // the run has ended, since everything the run uses lives in it.
    void aRunningOperationHoldsTheWindowUntilItEnds() {
        InTemporaryFolder folder;
        TestForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        {
            HeldOperation held(form);
            QVERIFY(held.start(BusOperation::Upgrade));
            QVERIFY(form.running() && form.bus().session().busy());
            QCOMPARE(named<QPushButton>(form, "btnUpgrade")->text(), QStringLiteral("&Stop"));
            QVERIFY(!named<QActionGroup>(form, "portItems")->isEnabled() &&
                    !named<QActionGroup>(form, "baudItems")->isEnabled());
            QVERIFY(!form.bus().run(BusOperation::Other,
                                    [](OperationContext&) { return Outcome::completed(); }));
            held.release();
            QVERIFY(runEnds(form));
            QVERIFY(!held.sawStop);
        }
        QCOMPARE(named<QPushButton>(form, "btnUpgrade")->text(), QStringLiteral("&Upgrade"));
        QVERIFY(named<QActionGroup>(form, "portItems")->isEnabled() &&
                named<QActionGroup>(form, "baudItems")->isEnabled());
        QVERIFY(!form.bus().session().busy());

        // The comms test's button is its Stop; the Upgrade button would start another run.
        {
            HeldOperation held(form);
            QVERIFY(held.start(BusOperation::CommsTest));
            QVERIFY(named<QPushButton>(form, "btnCommsTest")->isEnabled() &&
                    !named<QPushButton>(form, "btnUpgrade")->isEnabled());
            QVERIFY(!named<TfrmExtTimeout>(form, "frmExtTimeout")->btnCalcTimeout->isEnabled());
            held.release();
            QVERIFY(runEnds(form));
        }
        QVERIFY(named<QPushButton>(form, "btnUpgrade")->isEnabled() &&
                named<TfrmExtTimeout>(form, "frmExtTimeout")->btnCalcTimeout->isEnabled());

        HeldOperation held(form);
        QVERIFY(held.start(BusOperation::Upgrade));
        form.answer = QMessageBox::Abort;
        QVERIFY(!form.close());
        QCOMPARE(form.messages.last().text.section('\n', 0, 0),
                 QStringLiteral("A run is in progress."));
        QVERIFY(form.isVisible());
        QVERIFY(runEnds(form));
        QVERIFY(held.sawStop);
        QTRY_VERIFY(!form.isVisible());
    }

    // Closing while a run writes units asks how it ends. Keep running keeps both; Stop after
    // it lets the units finish (the run starts nothing new and ends on its own, then the
    // window closes); Stop now stops the run at its checkpoint and closes the window after it.
    void closingDuringARunAsksHowItEnds() {
        InTemporaryFolder folder;
        TestForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        RunControl& control = form.bus().session().control();
        const std::string note = "Stopping after 0102 (about 40 s); Stop again to stop at once "
                                 "and leave it in its boot loader";
        {
            HeldOperation held(form);
            QVERIFY(held.start(BusOperation::Site));
            control.offerFinish("0102", note);
            form.answer = QMessageBox::Cancel;
            QVERIFY(!form.close());
            QCOMPARE(form.messages.last().text.section('\n', 0, 0),
                     QStringLiteral("A run is writing unit 0102."));
            QVERIFY(form.messages.last().text.contains(
                QStringLiteral("Stop now leaves 0102 in its boot loader.")));
            QCOMPARE(control.stopLevel(), StopLevel::None);
            QTest::qWait(50);
            QVERIFY(form.isVisible() && form.running());

            form.answer = QMessageBox::Yes;
            QVERIFY(!form.close());
            QCOMPARE(control.stopLevel(), StopLevel::AfterUnitsInHand);
            QVERIFY(!control.stopRequested());
            QCOMPARE(named<QLabel>(form, "lblSite")->text(), QString::fromStdString(note));
            QTest::qWait(50);
            QVERIFY(form.isVisible() && form.running());
            held.release(); // its units finished
            QVERIFY(runEnds(form));
            QVERIFY(!held.sawStop);
            QTRY_VERIFY(!form.isVisible());
        }
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        HeldOperation held(form);
        QVERIFY(held.start(BusOperation::Site));
        control.offerFinish("0101, 0102", note);
        form.answer = QMessageBox::Abort;
        QVERIFY(!form.close());
        QCOMPARE(form.messages.last().text.section('\n', 0, 0),
                 QStringLiteral("A run is writing units 0101, 0102."));
        QVERIFY(form.messages.last().text.contains(
            QStringLiteral("Stop now leaves 0101, 0102 in their boot loader.")));
        // Abort asks for a stop at once. The held operation ends only on such a stop (sawStop),
        // and the run's end clears it, so it is not read from the control here: on a busy host
        // the worker may already have ended the run.
        QVERIFY(runEnds(form));
        QVERIFY(held.sawStop);
        QTRY_VERIFY(!form.isVisible());
    }

    // The Site page's Stop during a site run: the first lets the unit being written finish and
    // says so, the second is acknowledged at once and stops the run at its checkpoint.
    void aSecondStopOfASiteRunIsAcknowledgedAtOnce() {
        InTemporaryFolder folder;
        TestForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        RunControl& control = form.bus().session().control();
        HeldOperation held(form);
        QVERIFY(held.start(BusOperation::Site));
        const std::string note = "Stopping after 0102 (about 40 s)";
        control.offerFinish("0102", note);
        auto* stop = named<QPushButton>(form, "btnSite");
        auto* line = named<QLabel>(form, "lblSite");
        QVERIFY(stop->isEnabled());
        QTest::mouseClick(stop, Qt::LeftButton);
        QCOMPARE(line->text(), QString::fromStdString(note));
        QVERIFY(!control.stopRequested());
        QTest::mouseClick(stop, Qt::LeftButton);
        QCOMPARE(line->text(), QStringLiteral("Stopping now..."));
        QVERIFY(runEnds(form));
        QVERIFY(held.sawStop);
    }

    void exceptionOfAnOperationIsShownNotThrown() {
        InTemporaryFolder folder;
        TestForm form;
        QVERIFY(form.bus().run(BusOperation::Other, [](OperationContext&) -> Outcome {
            throw std::runtime_error("comms log not writable");
        }));
        QVERIFY(runEnds(form));
        QCOMPARE(form.messages.size(), 1);
        QCOMPARE(form.messages.first().text, QStringLiteral("comms log not writable"));
        QVERIFY(!form.bus().session().busy());
        QVERIFY(form.bus().run(BusOperation::Other,
                               [](OperationContext&) { return Outcome::completed(); }));
        QVERIFY(runEnds(form));
    }

    // The report reads the files of the working folder; while an operation holds the image
    // the menu does nothing.
    void fileVersionsMenuReportsTheFilesAtHand() {
        InTemporaryFolder folder;
        const QString make = QStringLiteral("%1 --format hex --version 2.07 Terminal-K1.hex")
                                 .arg(QStringLiteral(NEXALO_FWGEN));
        QCOMPARE(std::system(make.toLocal8Bit().constData()), 0);
        TestForm form;
        emit named<LogView>(form, "mmoStatus")->doubleClicked();
        auto* versions = form.findChild<QAction*>(QStringLiteral("mnuVer"));
        QVERIFY(versions);
        HeldOperation held(form);
        QVERIFY(held.start());
        versions->trigger();
        held.release();
        QVERIFY(runEnds(form));
        QVERIFY(named<LogView>(form, "mmoStatus")->lines().isEmpty());
        versions->trigger();
        QVERIFY(runEnds(form));
        const QStringList lines = named<LogView>(form, "mmoStatus")->lines();
        QVERIFY(lines.contains(QStringLiteral("Application File Versions:")));
        QVERIFY(lines.contains(QStringLiteral("V2.07  Terminal-K1.hex")));
        QCOMPARE(int(form.bus().image().fileVersion), 0x0207);
    }

    void confirmAsksYesNo() {
        InTemporaryFolder folder;
        TestForm form;
        form.answer = QMessageBox::Yes;
        QVERIFY(form.bus().confirm("Are you sure?"));
        form.answer = QMessageBox::No;
        QVERIFY(!form.bus().confirm("Are you sure?"));
        QCOMPARE(form.messages.last().icon, QMessageBox::Information);
        QCOMPARE(form.messages.last().text, QStringLiteral("Are you sure?"));
    }
};

QTEST_MAIN(WindowTest)
#include "windowTest.moc"
