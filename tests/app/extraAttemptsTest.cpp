// Config > Extra Attempts...: the dialog shows and sets the setting the session's transaction
// holds, and a run of the window repeats with it.

#include "extraAttempts.h"
#include "testForm.h"
#include "tests/link/ptyPeer.h"
#include "tests/support/windowRun.h"

#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>

class ExtraAttemptsTest : public QObject {
    Q_OBJECT

private slots:
    // The item right after Extend Timeouts; OK (or Enter) stores, Cancel and Escape keep what
    // is in force, and the one dialog shows that value again each time.
    void dialogSetsTheSessionsSetting() {
        InTemporaryFolder folder;
        TestForm form;
        QMenu* config = form.menuBar()->findChild<QMenu*>(QString(), Qt::FindDirectChildrenOnly);
        QStringList captions;
        for (QAction* action : config->actions())
            captions << action->text();
        QCOMPARE(captions.value(captions.indexOf(QStringLiteral("Extend Timeouts")) + 1),
                 QStringLiteral("Extra Attempts..."));

        auto* item = form.findChild<QAction*>(QStringLiteral("ExtraAttempts1"));
        item->trigger();
        auto* dialog = form.findChild<TfrmExtraAttempts*>();
        QVERIFY(dialog && dialog->isVisible() && !dialog->isModal());
        QCOMPARE(dialog->sedtExtraAttempts->value(), 0);
        QCOMPARE(dialog->sedtExtraAttempts->maximum(), 5);
        dialog->sedtExtraAttempts->setFocus();
        dialog->sedtExtraAttempts->selectAll();
        QTest::keyClicks(dialog->sedtExtraAttempts, QStringLiteral("3"));
        QTest::keyClick(dialog->sedtExtraAttempts, Qt::Key_Return);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(form.bus().link().extraAttempts(), 3);

        item->trigger();
        QCOMPARE(form.findChild<TfrmExtraAttempts*>(), dialog);
        dialog->sedtExtraAttempts->setValue(5);
        QTest::mouseClick(dialog->CancelBtn, Qt::LeftButton);
        item->trigger();
        QCOMPARE(dialog->sedtExtraAttempts->value(), 3);
        dialog->sedtExtraAttempts->setValue(1);
        QTest::keyClick(dialog, Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(form.bus().link().extraAttempts(), 3);
    }

    // Configure Port 2 with one extra attempt: the controller's first answer is lost on the
    // line, the request goes again, and the operator sees "Done!".
    void aRunOfTheWindowRepeatsWithTheSetting() {
        InTemporaryFolder folder;
        TestForm form;
        PtyPeer peer;
        peer.setResponder([](const std::string& frame, int index) -> std::vector<ReplyChunk> {
            if (index == 0) return {};
            return {{0, PtyPeer::statusReplyTo(frame)}};
        });
        peer.start();
        form.bus().port().setDevicePath(peer.devicePath());
        form.findChild<QAction*>(QStringLiteral("ExtraAttempts1"))->trigger();
        auto* dialog = form.findChild<TfrmExtraAttempts*>();
        dialog->sedtExtraAttempts->setValue(1);
        QTest::mouseClick(dialog->OKBtn, Qt::LeftButton);

        form.show();
        named<QTabWidget>(form, "pgUpgrade")->setCurrentWidget(named<QWidget>(form, "tbsMisc"));
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnPort")));
        QCOMPARE(form.messages.size(), 1);
        QCOMPARE(form.messages.last().text, QStringLiteral("Done!"));
        const std::vector<std::string> frames = peer.frames();
        QCOMPARE(frames.size(), std::size_t{2});
        QCOMPARE(frames[0].substr(15, 2), frames[1].substr(15, 2)); // "2D", twice
    }
};

QTEST_MAIN(ExtraAttemptsTest)
#include "extraAttemptsTest.moc"
