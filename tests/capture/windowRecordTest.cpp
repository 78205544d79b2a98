// Config > "Record Session...": the window's runs recorded until it is switched off, the caption
// saying so meanwhile, and a file that cannot be written refused with an error box.

#include "link/captureFile.h"
#include "recordSession.h"
#include "tests/app/testForm.h"
#include "tests/support/namedControl.h"
#include "tests/support/windowRun.h"

#include <QAction>
#include <QPushButton>

class WindowRecordTest : public QObject {
    Q_OBJECT

private slots:
    void aSurveyIsRecordedUntilSwitchedOff() {
        InTemporaryFolder folder;
        TestForm form;
        SimulatedBus bus(form, kOneTerminalNetwork);
        QVERIFY(bus.ready);
        auto* item = form.findChild<QAction*>(QStringLiteral("RecordSession1"));
        QVERIFY(item != nullptr);
        QCOMPARE(item->text(), QStringLiteral("Record Session..."));
        const QString caption = form.windowTitle();
        const QString path = folder.file(QStringLiteral("window.jsonl"));
        QVERIFY(startRecordSession(form, path));
        QVERIFY(item->isChecked());
        QCOMPARE(form.windowTitle(), caption + QStringLiteral(" - Recording Session"));
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnPing")));
        // Still recording after the run: it is kept until switched off.
        QVERIFY(form.windowTitle().endsWith(QStringLiteral(" - Recording Session")));
        item->trigger();
        QCOMPARE(form.windowTitle(), caption);
        QVERIFY(!item->isChecked());

        const capture::Read read = capture::readCapture(path.toStdString());
        QVERIFY2(read.capture.has_value(), read.error.c_str());
        QVERIFY(read.capture->header.tool.starts_with("nexalo-upgrade "));
        QCOMPARE(read.capture->header.port, form.bus().port().devicePath());
        QCOMPARE(read.capture->header.baud, 38400u);
        QVERIFY(read.capture->ended());
        // The survey's requests reached the bus as the capture has them.
        QCOMPARE(read.capture->requestCount(), static_cast<std::size_t>(bus.frames().size()));
        QVERIFY(read.capture->requestCount() > 0);
    }

    void aFileThatCannotBeWrittenIsRefused() {
        InTemporaryFolder folder;
        TestForm form;
        const QString caption = form.windowTitle();
        QVERIFY(!startRecordSession(form, folder.file(QStringLiteral("no-such-folder/s.jsonl"))));
        QCOMPARE(form.messages.size(), 1);
        QVERIFY(form.messages.front().text.contains(QStringLiteral("cannot write the capture")));
        QCOMPARE(form.windowTitle(), caption);
        QVERIFY(!form.findChild<QAction*>(QStringLiteral("RecordSession1"))->isChecked());
        QVERIFY(form.bus().session().capture() == nullptr);
    }
};

QTEST_MAIN(WindowRecordTest)
#include "windowRecordTest.moc"
