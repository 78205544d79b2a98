// The bus controller without a widget: each operation started by one call against the simulated
// bus in virtual time, its lines and questions as signals, and its end as one signal with its
// Outcome.

#include "busController.h"
#include "sim/networkFile.h"
#include "sim/virtualLineBackend.h"
#include "testForm.h"
#include "tests/support/sampleFiles.h"
#include "tools/maintenance.h"

#include <QSignalSpy>
#include <QtTest>

#include <optional>

namespace {

constexpr int kEndMs = 30000;

// Controller 01 with two keypads behind it; 0101 runs 1.02, below every sample file.
constexpr const char* kNetwork = R"({ "seed": 5, "controllers": [
  { "name": "c1", "la": "01", "fixedAddress": "10000001", "productId": 5, "version": "2.01",
    "terminals": [
      { "name": "t1", "la": "01", "fixedAddress": "20000101", "productId": 3, "version": "1.02" },
      { "name": "t2", "la": "02", "fixedAddress": "20000102", "productId": 3, "version": "1.02" }
    ] } ] })";

sim::Network networkOf(const char* json) {
    sim::NetworkLoad load = sim::parseNetwork(json);
    if (!load.network) qFatal("network: %s", load.error.c_str());
    return *load.network;
}

// A controller on the simulated bus, its time virtual: a 20-second time-out passes at once.
struct VirtualController {
    VirtualClock clock;
    sim::NetworkSimulator network{networkOf(kNetwork)};
    BusController bus{nullptr, clock, std::make_unique<sim::VirtualLineBackend>(clock, network)};
    QSignalSpy started{&bus, &BusController::started};
    QSignalSpy finished{&bus, &BusController::finished};

    VirtualController() { bus.port().setDevicePath("virtual"); }

    // The Outcome the last operation ended with, once it has ended.
    std::optional<Outcome> end(int timeoutMs = kEndMs) {
        if (finished.isEmpty() && !finished.wait(timeoutMs)) return std::nullopt;
        const QList<QVariant> ended = finished.takeFirst();
        lastKind = ended.at(0).value<BusOperation>();
        return ended.at(1).value<Outcome>();
    }
    BusOperation endedKind() const { return lastKind; }
    BusOperation lastKind = BusOperation::None;
};

UpgradeSettings terminalUpgrade() {
    UpgradeSettings settings;
    settings.unitType = UnitType::Terminal;
    settings.upgradeType = UpgradeType::SingleUnit;
    settings.controllerLA = "01";
    settings.terminalLA = "01";
    return settings;
}

} // namespace

class BusControllerTest : public QObject {
    Q_OBJECT

private slots:
    // One call starts the survey: nothing else may start until its end, which carries its
    // Outcome after every line it wrote; the table it filled stays for the comms test.
    void surveyStartsAndEndsWithItsOutcome() {
        InTemporaryFolder folder;
        VirtualController rig;
        QSignalSpy lines(&rig.bus, &BusController::reportLine);
        QVERIFY(rig.bus.canStart());
        QVERIFY(rig.bus.survey());
        QCOMPARE(rig.started.size(), 1);
        QCOMPARE(rig.started.first().at(0).value<BusOperation>(), BusOperation::Survey);
        QVERIFY(!rig.bus.canStart());
        QVERIFY(!rig.bus.resetNetwork()); // the bus is held
        const auto outcome = rig.end();
        QVERIFY(outcome);
        QCOMPARE(*outcome, Outcome::completed());
        QVERIFY(rig.bus.canStart());
        QCOMPARE(rig.bus.running(), BusOperation::None);
        QVERIFY(!lines.isEmpty());
        QCOMPARE(rig.bus.surveyTable().at(1, 1).fixedAddress, 0x20000101);
    }

    // The Upgrade's own Outcome reaches its end signal: a unit brought up to date is
    // completed, and a port that does not open fails with its reason, the port told unopened.
    void upgradeEndsWithTheRunsOutcome() {
        InTemporaryFolder folder;
        testkit::copySampleFiles(NEXALO_FW_SAMPLES_DIR, folder.WorkingFolder::path());
        VirtualController rig;
        QVERIFY(rig.bus.upgrade(terminalUpgrade()));
        const auto upgraded = rig.end();
        QVERIFY(upgraded);
        QCOMPARE(rig.endedKind(), BusOperation::Upgrade);
        QCOMPARE(*upgraded, Outcome::completed());
        QVERIFY(rig.bus.upgradePortOpened());
        QVERIFY(rig.network.unit("t1") && rig.network.unit("t1")->version != 0x0102);
        QCOMPARE(rig.network.unit("t2")->version, 0x0102);

        // A real port this time, on a device that is not there.
        BusController unplugged;
        unplugged.port().setDevicePath("/nonexistent/tty");
        QSignalSpy ended(&unplugged, &BusController::finished);
        QVERIFY(unplugged.upgrade(terminalUpgrade()));
        QVERIFY(ended.wait(kEndMs));
        const auto unopened = ended.first().at(1).value<Outcome>();
        QCOMPARE(unopened.kind, OutcomeKind::Failed);
        QCOMPARE(unopened.reason, std::string(PortSession::kOpenFailed));
        QVERIFY(!unplugged.upgradePortOpened());
    }

    // A question blocks the worker until the receiver answers through the pointer; unanswered
    // it keeps its default, No, and the command sends nothing.
    void aQuestionWaitsForItsAnswer() {
        InTemporaryFolder folder;
        VirtualController rig;
        QStringList asked;
        const auto answer = [&](bool yes) {
            return connect(&rig.bus, &BusController::confirmAsked, &rig.bus,
                           [&asked, yes](const QString& question, bool* reply) {
                               asked << question;
                               *reply = yes;
                           });
        };
        const ClearMemorySettings all{"01", true};
        QVERIFY(rig.bus.clearMemory(all));
        auto declined = rig.end();
        QVERIFY(declined);
        QCOMPARE(declined->kind, OutcomeKind::Refused);

        const QMetaObject::Connection no = answer(false);
        QVERIFY(rig.bus.clearMemory(all));
        declined = rig.end();
        QVERIFY(declined);
        QCOMPARE(declined->kind, OutcomeKind::Refused);
        QCOMPARE(asked.size(), 1);
        disconnect(no);

        answer(true);
        QVERIFY(rig.bus.clearMemory(all));
        const auto cleared = rig.end();
        QVERIFY(cleared);
        QVERIFY2(cleared->kind != OutcomeKind::Refused, cleared->describe().c_str());
        QCOMPARE(asked.size(), 2);
    }

    // The site upgrade asks before it changes a unit; answered No, it ends as planned, its bus
    // kept as the last site run and no unit touched.
    void siteUpgradeDeclinedChangesNothing() {
        InTemporaryFolder folder;
        testkit::copySampleFiles(NEXALO_FW_SAMPLES_DIR, folder.WorkingFolder::path());
        VirtualController rig;
        QStringList questions;
        connect(&rig.bus, &BusController::siteUpgradeAsked, &rig.bus,
                [&questions](const QString& question, bool* yes) {
                    questions << question;
                    *yes = false;
                });
        QVERIFY(rig.bus.upgradeSite({}));
        const auto outcome = rig.end();
        QVERIFY(outcome);
        QCOMPARE(rig.endedKind(), BusOperation::Site);
        QCOMPARE(questions.size(), 1);
        QVERIFY2(questions.first().contains(QStringLiteral("terminal")),
                 qPrintable(questions.first()));
        QVERIFY(rig.bus.siteRunDone() && rig.bus.siteDeclined() && rig.bus.lastSite());
        QCOMPARE(rig.network.unit("t1")->version, 0x0102);
        QCOMPARE(rig.network.unit("t2")->version, 0x0102);
    }

    // Stop reaches the running work through the session's run control; the work's own end
    // (stopped) is the one its end signal carries, and the bus is free again.
    void stopEndsTheRunningWork() {
        InTemporaryFolder folder;
        VirtualController rig;
        QVERIFY(rig.bus.run(BusOperation::Other, [](OperationContext& context) {
            while (!context.control.stopRequested())
                QThread::msleep(1);
            return Outcome::stopped();
        }));
        QCOMPARE(rig.bus.running(), BusOperation::Other);
        rig.bus.stopNow();
        const auto outcome = rig.end();
        QVERIFY(outcome);
        QCOMPARE(*outcome, Outcome::stopped());
        QVERIFY(rig.bus.canStart());
    }

    // Plan changes nothing and ends completed, its bus the last site run.
    void planEndsCompletedWithItsBus() {
        InTemporaryFolder folder;
        testkit::copySampleFiles(NEXALO_FW_SAMPLES_DIR, folder.WorkingFolder::path());
        VirtualController rig;
        QSignalSpy asked(&rig.bus, &BusController::siteUpgradeAsked);
        QVERIFY(rig.bus.plan({}));
        const auto outcome = rig.end();
        QVERIFY(outcome);
        QCOMPARE(*outcome, Outcome::completed());
        QVERIFY(asked.isEmpty());
        QVERIFY(rig.bus.lastSite() && rig.bus.lastSite()->planOnly);
        QCOMPARE(rig.bus.lastSite()->units.size(), std::size_t(3));
    }

    // An error that ends a run early stands over what the run would have concluded.
    void anErrorEndsTheRunWithItsText() {
        InTemporaryFolder folder;
        VirtualController rig;
        QVERIFY(rig.bus.run(BusOperation::Other, [](OperationContext&) -> Outcome {
            throw std::runtime_error("comms log not writable");
        }));
        const auto outcome = rig.end();
        QVERIFY(outcome);
        QCOMPARE(*outcome, Outcome::error("comms log not writable"));
    }
};

QTEST_MAIN(BusControllerTest)
#include "busControllerTest.moc"
