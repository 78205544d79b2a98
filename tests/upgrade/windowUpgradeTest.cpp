// The upgrade page driven by clicks against the simulated network on a pseudo-terminal.

#include "logView.h"
#include "maskedEdit.h"
#include "radioGroup.h"
#include "sim/networkFile.h"
#include "sim/ptySimulator.h"
#include "tests/app/testForm.h"

#include <QCheckBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <filesystem>

namespace {

const char* kNetwork = R"({ "seed": 5, "controllers": [
  { "name": "c1", "la": "01", "fixedAddress": "10000001", "productId": 5, "version": "2.01",
    "terminals": [
      { "name": "t1", "la": "01", "fixedAddress": "20000101", "productId": 3, "version": "1.02" }
    ] } ] })";

sim::Network network() {
    sim::NetworkLoad load = sim::parseNetwork(kNetwork);
    if (!load.network) qFatal("network: %s", load.error.c_str());
    return *load.network;
}

QRadioButton* item(RadioGroup* group, int index) {
    return group->findChildren<QRadioButton*>().at(index);
}

void typeLA(MaskedEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

// The window's port opens the simulated line; the terminal's firmware file is at hand.
struct UpgradePage {
    InTemporaryFolder folder;
    TestForm form;
    sim::PtySimulator simulator{network()};

    bool ready() {
        std::filesystem::copy_file(std::filesystem::path(NEXALO_FW_SAMPLES_DIR) / "Terminal-K2.hex",
                                   folder.file(QStringLiteral("Terminal-K2.hex")).toStdString());
        const auto device = simulator.start();
        if (!device) return false;
        form.portCom.setDevicePath(*device);
        typeLA(form.edtControllerLA, QStringLiteral("01"));
        typeLA(form.edtTerminalLA, QStringLiteral("01"));
        return true;
    }
};

} // namespace

class WindowUpgradeTest : public QObject {
    Q_OBJECT

private slots:
    void choicesKeepTheBoxesConsistent() {
        InTemporaryFolder folder;
        TestForm form;
        QTest::mouseClick(item(form.rgUnitType, 2), Qt::LeftButton);    // Host Interface
        QTest::mouseClick(item(form.rgUpgradeType, 1), Qt::LeftButton); // ALL units.
        QCOMPARE(form.rgUpgradeType->itemIndex(), 0);
        QCOMPARE(form.edtControllerLA->fieldText(), QStringLiteral("7F"));
        QVERIFY(!form.edtControllerLA->isEnabled());
        QTest::mouseClick(item(form.rgUnitType, 0), Qt::LeftButton); // Terminal
        QTest::mouseClick(item(form.rgUpgradeType, 1), Qt::LeftButton);
        QCOMPARE(form.rgUpgradeType->itemIndex(), 1);
        QCOMPARE(form.edtControllerLA->fieldText() + form.edtTerminalLA->fieldText(),
                 QStringLiteral("01FF"));
        QVERIFY(form.edtControllerLA->isEnabled() && !form.edtTerminalLA->isEnabled());
        QVERIFY(form.scope.terminalScope && !form.scope.controllerScope);
    }

    void aFullUpgradeByClicks() {
        UpgradePage page;
        QVERIFY(page.ready());
        TestForm& form = page.form;
        form.ckbForceUpgrade->setChecked(true);
        bool sawRunningState = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            if (form.pgrProgress->value() > 0)
                sawRunningState = form.btnUpgrade->text() == QStringLiteral("&Stop") &&
                                  form.btnUpgrade->isEnabled() && !form.pnlUpgrade->isEnabled();
        });
        watch.start(20);
        QTest::mouseClick(form.btnUpgrade, Qt::LeftButton);
        watch.stop();
        QVERIFY(sawRunningState);
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
        QCOMPARE(form.mmoStatus->lines(), expected);
        QCOMPARE(form.btnUpgrade->text(), QStringLiteral("&Upgrade"));
        QVERIFY(form.pnlUpgrade->isEnabled());
        QVERIFY(!form.ckbForceUpgrade->isChecked());
        const auto terminal = page.simulator.unit("t1");
        QCOMPARE(terminal->version, form.image.fileVersion);
        for (std::int32_t a = 0; a < FirmwareImage::kSize; ++a)
            if (form.image.isWritten(a))
                QCOMPARE(terminal->flash.at(static_cast<std::uint32_t>(a)),
                         form.image.bytes[static_cast<std::size_t>(a)]);
    }

    void stopByClickDuringThePages() {
        UpgradePage page;
        QVERIFY(page.ready());
        TestForm& form = page.form;
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            if (form.pgrProgress->value() >= 20 && form.btnUpgrade->text() == "&Stop")
                QTest::mouseClick(form.btnUpgrade, Qt::LeftButton);
        });
        watch.start(10);
        QTest::mouseClick(form.btnUpgrade, Qt::LeftButton);
        watch.stop();
        const QStringList lines = form.mmoStatus->lines();
        QCOMPARE(lines.mid(lines.size() - 2),
                 QStringList({QStringLiteral("Write Flash..."), QStringLiteral("Finished.")}));
        QCOMPARE(form.btnUpgrade->text(), QStringLiteral("&Upgrade"));
        QVERIFY(!form.signal.stopRequested());
        const auto terminal = page.simulator.unit("t1");
        QCOMPARE(terminal->resets, 0);
        QVERIFY(terminal->upgradeMode);
    }
};

QTEST_MAIN(WindowUpgradeTest)
#include "windowUpgradeTest.moc"
