// The Site page driven by clicks against the demo network on a pseudo-terminal, with the
// sample firmware files in the working folder: the plan, its tree and the reports it saves, the
// question before an upgrade (Enter answers No), and the whole-site upgrade (stopped once half
// way, its report saved, then finished) of the demo network with its controllers already
// current (their search of every LA would take the test minutes).

#include "link/catalogue.h"
#include "logView.h"
#include "site/siteRun.h"
#include "siteTree.h"
#include "testForm.h"
#include "tests/support/sampleFiles.h"
#include "tests/support/windowRun.h"
#include "tools/surveyLines.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDate>
#include <QDir>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include <map>
#include <optional>

namespace {

// The whole-site run of the test writes the host and the terminals and waits out each unit's
// erase and restart: under a minute; a run that takes three times as long has hung.
constexpr int kSiteRunMs = 180000;

struct Planned {
    const char* name; // in the network file
    const char* kind;
    const char* file;
    const char* action;
};

// The demo network as its technician knows it: every unit is behind its file but the remote,
// which waits to be asked for (its image carries no version to compare).
const std::map<QString, Planned> kDemoPlan = {
    {"7F00", {"host", "host", "Host-K2.hex", "upgrade"}},
    {"0100", {"controller-1", "controller", "Controller-K2.hex", "upgrade"}},
    {"0101", {"terminal-1-1", "terminal", "Terminal-K2.hex", "upgrade"}},
    {"0102", {"terminal-1-2", "terminal", "Terminal-P4.S28", "upgrade"}},
    {"0103", {"remote-interface-1-3", "remote", "remoteR1.s19", "on request"}},
    {"0200", {"controller-2", "controller", "QRM-D.S28", "upgrade"}},
    {"0201", {"terminal-2-1", "terminal", "Terminal-P9.s28", "upgrade"}},
    {"0205", {"terminal-2-5", "terminal", "Terminal-K2.hex", "upgrade"}},
};

QByteArray fileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The rows of the tree by address, every level; a remote's row stands for its address, below
// its terminal's.
std::map<QString, QTreeWidgetItem*> rowsOf(SiteTree* tree) {
    std::map<QString, QTreeWidgetItem*> rows;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        rows[(*it)->text(SiteTree::Address)] = *it;
    return rows;
}

QJsonArray reportUnits(const QString& path) {
    const QJsonDocument report = QJsonDocument::fromJson(fileText(path));
    const QJsonArray buses = report.object().value(QStringLiteral("buses")).toArray();
    return buses.isEmpty() ? QJsonArray() : buses.first().toObject().value("units").toArray();
}

QString todaysReportName(const QString& suffix) {
    return QStringLiteral("site-report-%1-COM1.%2")
        .arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")), suffix);
}

struct SiteRig {
    InTemporaryFolder folder;
    TestForm form;
    std::optional<SimulatedBus> bus;
    std::map<QString, QString> versions; // of the sample files, from the generator's list

    bool ready(const char* network = NEXALO_SOURCE_DIR "/sim/networks/demo.json") {
        for (const auto& [name, version] :
             testkit::copySampleFiles(NEXALO_FW_SAMPLES_DIR, folder.WorkingFolder::path()))
            versions[QString::fromStdString(name)] = QString::fromStdString(version);
        // Behind COM1, the window's first port, as nexalo-sim --link COM1 serves it.
        bus.emplace(form, fileText(QString::fromUtf8(network)).constData(),
                    folder.file(QStringLiteral("COM1")).toStdString());
        named<QTabWidget>(form, "pgUpgrade")->setCurrentWidget(named<QWidget>(form, "tbsSite"));
        form.show();
        return bus->ready && QTest::qWaitForWindowExposed(&form);
    }
    // The requests that reached the bus with a command that changes a unit.
    QStringList changingRequests() {
        QStringList changing;
        for (const QString& frame : bus->frames())
            for (const char* command :
                 {cmd::EnterUpgrade, cmd::EraseCode, cmd::WritePageCode, cmd::NewLaCode, cmd::Reset,
                  cmd::ClearMemory, cmd::ControllerUpgradeStart, cmd::UpgradeRunStart})
                if (frame.section(QLatin1Char(':'), 1).startsWith(QLatin1String(command)))
                    changing << frame;
        return changing;
    }
};

} // namespace

class SitePageTest : public QObject {
    Q_OBJECT

private slots:
    // The plan sends nothing that changes a unit; each row says what the run would do with it
    // and where it stands in the bus, and a screen reader is handed each cell with its column's
    // name. The report of the plan parses and holds its units; a file that cannot be written is
    // said in a box and in the log.
    void planByClickFillsTheTreeAndItsReport() {
        SiteRig page;
        QVERIFY(page.ready());
        TestForm& form = page.form;
        for (QWidget* control : named<QWidget>(form, "tbsSite")->findChildren<QWidget*>()) {
            // The tree's and the combo box's own parts are named by them.
            const bool part = control->window() != &form ||
                              named<SiteTree>(form, "tvSite")->isAncestorOf(control) ||
                              named<QComboBox>(form, "cbxModel")->isAncestorOf(control);
            if (!part && control->focusPolicy() != Qt::NoFocus)
                QVERIFY2(!control->accessibleName().isEmpty(), control->metaObject()->className());
        }
        QVERIFY(!named<QPushButton>(form, "btnSaveReport")->isEnabled());

        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnPlan")));
        QCOMPARE(page.changingRequests(), QStringList());
        auto rows = rowsOf(named<SiteTree>(form, "tvSite"));
        QCOMPARE(rows.size(), kDemoPlan.size());
        for (const auto& [address, planned] : kDemoPlan) {
            QVERIFY2(rows.count(address), qPrintable(address));
            const QTreeWidgetItem* row = rows.at(address);
            const QString action = QString::fromLatin1(planned.action);
            const bool remote = QLatin1String(planned.kind) == QLatin1String("remote");
            QCOMPARE(row->text(SiteTree::Action), action);
            QCOMPARE(row->text(SiteTree::File), QString::fromLatin1(planned.file));
            QCOMPARE(row->text(SiteTree::FileVersion),
                     remote ? QString() : page.versions[QString::fromLatin1(planned.file)]);
            QCOMPARE(row->text(SiteTree::Result),
                     action == QLatin1String("upgrade") ? QStringLiteral("planned") : action);
        }
        QCOMPARE(rows.at("0101")->parent(), rows.at("0100"));
        QCOMPARE(rows.at("0101")->text(SiteTree::FixedAddress), QStringLiteral("20000101"));
        QCOMPARE(rows.at("0101")->text(SiteTree::Reason), QString());
        // The terminal with a remote behind it: its own row and version, the remote its child.
        const QTreeWidgetItem* terminal = rows.at("0103")->parent();
        QVERIFY(terminal != nullptr && terminal != rows.at("0100"));
        QCOMPARE(terminal->parent(), rows.at("0100"));
        QCOMPARE(terminal->text(SiteTree::Address), QStringLiteral("0103"));
        QCOMPARE(terminal->text(SiteTree::Version), QStringLiteral("1.05"));
        QCOMPARE(terminal->text(SiteTree::Action), QString());
        QCOMPARE(terminal->data(SiteTree::Address, Qt::AccessibleTextRole).toString(),
                 QStringLiteral("terminal 0103"));
        QCOMPARE(rows.at("0103")->text(SiteTree::Version), QStringLiteral("2.03"));
        QCOMPARE(rows.at("0103")->data(SiteTree::Address, Qt::AccessibleTextRole).toString(),
                 QStringLiteral("remote 0103"));
        QCOMPARE(rows.at("0205")->parent(), rows.at("0200"));
        QVERIFY(rows.at("7F00")->parent() == nullptr);
        QCOMPARE(named<QLabel>(form, "lblSite")->text(),
                 QStringLiteral("Plan (COM1): upgrade 7, on request 1."));

        QAccessibleInterface* tree =
            QAccessible::queryAccessibleInterface(named<SiteTree>(form, "tvSite"));
        QVERIFY(tree && tree->tableInterface());
        QCOMPARE(tree->tableInterface()->cellAt(0, SiteTree::Address)->text(QAccessible::Name),
                 QStringLiteral("host 7F00"));
        QCOMPARE(tree->tableInterface()->cellAt(0, SiteTree::Action)->text(QAccessible::Name),
                 QStringLiteral("Action: upgrade"));

        form.savePath = page.folder.file(QStringLiteral("site.json"));
        QTest::mouseClick(named<QPushButton>(form, "btnSaveReport"), Qt::LeftButton);
        QCOMPARE(form.suggestedName, todaysReportName(QStringLiteral("json")));
        QJsonParseError error;
        const QJsonDocument report = QJsonDocument::fromJson(fileText(form.savePath), &error);
        QVERIFY2(!report.isNull(), qPrintable(error.errorString()));
        QStringList addresses;
        for (const QJsonValue bus : report.object().value(QStringLiteral("buses")).toArray())
            for (const QJsonValue unit : bus.toObject().value(QStringLiteral("units")).toArray())
                addresses << unit.toObject().value(QStringLiteral("address")).toString();
        QCOMPARE(addresses.size(), int(kDemoPlan.size()));
        for (const QString& address : addresses)
            QVERIFY2(kDemoPlan.count(address), qPrintable(address));
        form.savePath = page.folder.file(QStringLiteral("missing/site.json"));
        QTest::mouseClick(named<QPushButton>(form, "btnSaveReport"), Qt::LeftButton);
        QCOMPARE(form.messages.size(), 1);
        QCOMPARE(form.messages.first().icon, QMessageBox::Critical);
        QCOMPARE(named<LogView>(form, "mmoStatus")->lines().constLast(),
                 form.messages.first().text);

        // The printable page: date, port, the files with their versions, the plan's table and
        // the line that sums it up.
        form.savePath = page.folder.file(QStringLiteral("site.txt"));
        QTest::mouseClick(named<QPushButton>(form, "btnSaveReport"), Qt::LeftButton);
        const QStringList text = QString::fromUtf8(fileText(form.savePath)).split('\n');
        const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
        QCOMPARE(
            text.filter(QRegularExpression(QStringLiteral("^Date: %1 \\d\\d:\\d\\d$").arg(today)))
                .size(),
            1);
        QVERIFY(text.contains(QStringLiteral("Port: COM1")));
        for (const auto& [address, planned] : kDemoPlan) {
            const QString file = QString::fromLatin1(planned.file);
            // A remote's image carries no version the tool reads.
            const bool remote = QLatin1String(planned.kind) == QLatin1String("remote");
            const QString version = remote ? QStringLiteral("(no version)") : page.versions[file];
            QCOMPARE(text.filter(QRegularExpression(QStringLiteral("^  %1 +%2$")
                                                        .arg(QRegularExpression::escape(file),
                                                             QRegularExpression::escape(version))))
                         .size(),
                     1);
            QCOMPARE(text.filter(QRegularExpression(QStringLiteral("^%1  ").arg(address))).size(),
                     1);
        }
        QVERIFY(text.contains(QStringLiteral("<< Site Plan >>")));
        QVERIFY(text.contains(
            named<QLabel>(form, "lblSite")->text().section(QStringLiteral(" Report saved"), 0, 0)));

        // The C/D model gives the product-5 controller the C/D file.
        named<QComboBox>(form, "cbxModel")->setCurrentIndex(1);
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnPlan")));
        QCOMPARE(rowsOf(named<SiteTree>(form, "tvSite")).at("0100")->text(SiteTree::File),
                 QStringLiteral("QRM-C.hex"));
    }

    // A file that the folder's trust refuses (here a SHA256SUMS that cannot be read) is
    // "refused", in the Action and the Result, as a fault and with its reason; never "no file".
    void aRefusedFileIsRefusedNotMissing() {
        SiteRig page;
        QVERIFY(QDir(page.folder.path()).mkdir(QStringLiteral("SHA256SUMS")));
        QVERIFY(page.ready());
        TestForm& form = page.form;
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnPlan")));
        int refused = 0;
        for (const auto& [address, row] : rowsOf(named<SiteTree>(form, "tvSite"))) {
            // The remote waits to be asked for, "Remotes too" unticked, whatever its file.
            if (row->text(SiteTree::File).isEmpty() ||
                row->text(SiteTree::Action) == QStringLiteral("on request"))
                continue;
            ++refused;
            QCOMPARE(row->text(SiteTree::Action), QStringLiteral("refused"));
            QCOMPARE(row->text(SiteTree::Result), QStringLiteral("refused"));
            QCOMPARE(row->foreground(SiteTree::Action).color(), QColor(Qt::red));
            QVERIFY2(row->text(SiteTree::Reason).contains(QStringLiteral("SHA256SUMS")),
                     qPrintable(row->text(SiteTree::Reason)));
        }
        QVERIFY(refused > 0);
        QVERIFY(!named<QLabel>(form, "lblSite")->text().contains(QStringLiteral("Nothing")));
    }

    // A unit that the survey finds in its boot loader says so in its Version cell and in its
    // row's colour, in the plan already; the status line is read with its text.
    void aUnitInItsBootLoaderShowsItInThePlan() {
        SiteRig page;
        const QString network = page.folder.file(QStringLiteral("bootLoader.json"));
        QFile file(network);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(R"({ "seed": 5, "controllers": [
  { "name": "c1", "la": "01", "fixedAddress": "10000001", "productId": 5, "version": "2.01",
    "terminals": [
      { "name": "t1", "la": "01", "fixedAddress": "20000101", "productId": 3, "version": "1.02",
        "upgradeMode": true },
      { "name": "t2", "la": "02", "fixedAddress": "20000102", "productId": 3, "version": "1.02" }
    ] } ] })");
        file.close();
        QVERIFY(page.ready(network.toUtf8().constData()));
        TestForm& form = page.form;
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnPlan")));
        const auto rows = rowsOf(named<SiteTree>(form, "tvSite"));
        QVERIFY(rows.count(QStringLiteral("0101")) && rows.count(QStringLiteral("0102")));
        QTreeWidgetItem* inBootLoader = rows.at(QStringLiteral("0101"));
        QTreeWidgetItem* running = rows.at(QStringLiteral("0102"));
        QCOMPARE(inBootLoader->text(SiteTree::Version), QStringLiteral("boot loader"));
        QCOMPARE(running->text(SiteTree::Version), QStringLiteral("1.02"));
        QVERIFY(inBootLoader->background(SiteTree::Address) !=
                running->background(SiteTree::Address));
        auto* line = named<QLabel>(form, "lblSite");
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(line);
        QVERIFY(spoken);
        QVERIFY2(spoken->text(QAccessible::Name).contains(line->text()),
                 qPrintable(spoken->text(QAccessible::Name)));
    }

    // With some files refused, the question before Upgrade Site names the units it will not
    // upgrade and why; the others stay planned for an upgrade.
    void theQuestionNamesTheRefusedUnits() {
        SiteRig page;
        QVERIFY(page.ready());
        TestForm& form = page.form;
        // SHA256SUMS lists one file only: every other file is refused.
        QFile listed(page.folder.file(QStringLiteral("Terminal-K2.hex")));
        QVERIFY(listed.open(QIODevice::ReadOnly));
        const QByteArray digest =
            QCryptographicHash::hash(listed.readAll(), QCryptographicHash::Sha256).toHex();
        QFile sums(page.folder.file(QStringLiteral("SHA256SUMS")));
        QVERIFY(sums.open(QIODevice::WriteOnly));
        sums.write(digest + "  Terminal-K2.hex\n");
        sums.close();
        form.answer = QMessageBox::No;
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnSite")));
        QVERIFY(!form.messages.isEmpty());
        const QString asked = form.messages.last().text;
        QVERIFY2(asked.startsWith(QStringLiteral("Upgrade 2 units: 2 terminals.")),
                 qPrintable(asked));
        QVERIFY2(asked.contains(QRegularExpression(QStringLiteral(
                     "\\n[0-9]+ refused: Firmware file \\S+ is not listed in SHA256SUMS"))),
                 qPrintable(asked));
        QCOMPARE(page.changingRequests(), QStringList());
        const auto rows = rowsOf(named<SiteTree>(form, "tvSite"));
        QCOMPARE(rows.at(QStringLiteral("0101"))->text(SiteTree::Action),
                 QStringLiteral("upgrade"));
        QCOMPARE(rows.at(QStringLiteral("0100"))->text(SiteTree::Action),
                 QStringLiteral("refused"));
    }

    void upgradeSiteAsksFirstAndEnterAnswersNo();
    void columnsFitTheirCellsAndTheWindow();

    // Stopped while it writes, the run finishes the unit in hand and leaves the rest not done;
    // the next run finishes the site, every unit holding its file's version, and a plan after it
    // finds nothing to do.
    void upgradeSiteByClickBringsTheDemoUpToDate() {
        SiteRig page;
        QVERIFY(page.ready(NEXALO_SOURCE_DIR "/tests/app/siteUpgrade.json"));
        TestForm& form = page.form;
        bool sawRunning = false;
        QString stopNote;
        QTimer stopper;
        QObject::connect(&stopper, &QTimer::timeout, [&] {
            const auto rows = rowsOf(named<SiteTree>(form, "tvSite"));
            if (std::none_of(rows.begin(), rows.end(), [](const auto& row) {
                    return !row.second->text(SiteTree::Progress).isEmpty();
                }))
                return;
            // A row's bar may move for a moment before its pages: the Stop waits for them.
            if (form.bus().session().control().unitsInHand().empty()) return;
            stopper.stop();
            sawRunning = named<QPushButton>(form, "btnSite")->text() == QStringLiteral("&Stop") &&
                         !named<QPushButton>(form, "btnPlan")->isEnabled() &&
                         !named<QComboBox>(form, "cbxModel")->isEnabled();
            QTest::mouseClick(named<QPushButton>(form, "btnSite"), Qt::LeftButton);
            stopNote = named<QLabel>(form, "lblSite")->text();
        });
        stopper.start(5);
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnSite"), kSiteRunMs));
        QVERIFY(sawRunning);
        // The first Stop lets the unit being written finish, and says so.
        QVERIFY2(stopNote.startsWith(QStringLiteral("Stopping after ")), qPrintable(stopNote));
        QVERIFY(form.bus().lastSite() && form.bus().lastSite()->end.kind == OutcomeKind::Stopped);
        QVERIFY(named<QLabel>(form, "lblSite")->text().startsWith(QStringLiteral("Stopped")));
        QVERIFY(named<QLabel>(form, "lblSite")->text().contains(QStringLiteral("not done")));
        QCOMPARE(named<QPushButton>(form, "btnSite")->text(), QStringLiteral("Upgrade &Site"));
        QVERIFY(named<QPushButton>(form, "btnPlan")->isEnabled());
        // The stopped run's report is the one saved, as JSON and as the printable page.
        QVERIFY(named<QPushButton>(form, "btnSaveReport")->isEnabled());
        form.savePath = page.folder.file(QStringLiteral("stopped.json"));
        QTest::mouseClick(named<QPushButton>(form, "btnSaveReport"), Qt::LeftButton);
        const QJsonArray units = reportUnits(form.savePath);
        QCOMPARE(units.size(), int(kDemoPlan.size()));
        QStringList results;
        for (const QJsonValue unit : units)
            results << unit.toObject().value(QStringLiteral("result")).toString();
        QVERIFY2(results.contains(QStringLiteral("not done")), qPrintable(results.join(',')));
        QVERIFY(!results.contains(QStringLiteral("planned")));
        form.savePath = page.folder.file(QStringLiteral("stopped.txt"));
        QTest::mouseClick(named<QPushButton>(form, "btnSaveReport"), Qt::LeftButton);
        const QString printed = QString::fromUtf8(fileText(form.savePath));
        QVERIFY(printed.contains(QStringLiteral("<< Site Report >>")));
        QVERIFY(printed.contains(QStringLiteral("Site run stopped")));

        const qsizetype framesBefore = page.bus->frames().size();
        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnSite"), kSiteRunMs));
        QVERIFY2(form.bus().lastSite() && siteSucceeded(*form.bus().lastSite()),
                 qPrintable(named<QLabel>(form, "lblSite")->text()));
        // One survey serves the question and the run: controller 01 is asked for its terminals
        // once before the first upgrade run starts.
        int surveysBeforeUpgrades = 0;
        for (const QString& frame : page.bus->frames().mid(framesBefore)) {
            const QString command = frame.section(QLatin1Char(':'), 1);
            if (command.startsWith(QLatin1String(cmd::UpgradeRunStart))) break;
            surveysBeforeUpgrades += frame == QStringLiteral("0100:") + cmd::TerminalList;
        }
        QCOMPARE(surveysBeforeUpgrades, 1);
        for (const auto& [address, row] : rowsOf(named<SiteTree>(form, "tvSite"))) {
            const Planned& planned = kDemoPlan.at(address);
            const QString result = row->text(SiteTree::Result);
            if (QLatin1String(planned.action) != QLatin1String("upgrade")) {
                QCOMPARE(result, QString::fromLatin1(planned.action));
                continue;
            }
            QVERIFY2(result == QStringLiteral("upgraded") || result == QStringLiteral("up to date"),
                     qPrintable(address + QStringLiteral(": ") + result));
            QCOMPARE(row->text(SiteTree::Version), row->text(SiteTree::FileVersion));
            // What the unit itself holds now, not what the window was told.
            QCOMPARE(QString::fromStdString(versionText(page.bus->unit(planned.name).version)),
                     page.versions[QString::fromLatin1(planned.file)]);
        }

        QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnPlan")));
        for (const auto& [address, row] : rowsOf(named<SiteTree>(form, "tvSite")))
            if (address != QStringLiteral("0103"))
                QCOMPARE(row->text(SiteTree::Action), QStringLiteral("up to date"));
    }
};

// The question before Upgrade Site, in the window's own box: the units of each kind the plan
// would upgrade and the time; Enter answers No, and nothing that changes a unit is sent.
void SitePageTest::upgradeSiteAsksFirstAndEnterAnswersNo() {
    SiteRig page;
    QVERIFY(page.ready());
    TestForm& form = page.form;
    form.realBoxes = true;
    QString asked;
    QString statusWhileAsked;
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        answerer.stop();
        asked = box->text();
        statusWhileAsked = named<QLabel>(form, "lblSite")->text();
        QTest::keyClick(box, Qt::Key_Return);
    });
    answerer.start(5);
    QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnSite")));
    // Nothing is upgraded until the operator says Yes, and the status line does not say so.
    QCOMPARE(statusWhileAsked, QStringLiteral("Planning..."));
    QCOMPARE(asked.section('\n', 0, 0),
             QStringLiteral("Upgrade 7 units: 1 host interface, 2 controllers, 4 terminals."));
    QVERIFY2(asked.section('\n', 1, 1).startsWith(QStringLiteral("Estimated time: about ")),
             qPrintable(asked));
    QVERIFY(asked.section('\n', 1, 1).endsWith(QStringLiteral(" at 38400 baud.")));
    QCOMPARE(page.changingRequests(), QStringList());
    QCOMPARE(named<QLabel>(form, "lblSite")->text(),
             QStringLiteral("Plan (COM1): upgrade 7, on request 1. Nothing was upgraded."));
    QVERIFY(form.bus().lastSite() && form.bus().lastSite()->planOnly);
    QCOMPARE(named<QPushButton>(form, "btnSite")->text(), QStringLiteral("Upgrade &Site"));

    // As after a run that an error ended before it had a bus: no file, and the page says so.
    form.bus().lastSite().reset();
    form.savePath = page.folder.file(QStringLiteral("none.json"));
    QTest::mouseClick(named<QPushButton>(form, "btnSaveReport"), Qt::LeftButton);
    QVERIFY(!QFile::exists(form.savePath));
    QVERIFY2(named<QLabel>(form, "lblSite")
                 ->text()
                 .startsWith(QStringLiteral("There is no site report to save")),
             qPrintable(named<QLabel>(form, "lblSite")->text()));
}

// The columns hold their widest cell and the tree gives the window's extra width to them; the
// page's Alt letters are one each.
void SitePageTest::columnsFitTheirCellsAndTheWindow() {
    SiteRig page;
    QVERIFY(page.ready());
    TestForm& form = page.form;
    QVERIFY(clickAndWait(form, named<QPushButton>(form, "btnPlan")));
    SiteTree* tree = named<SiteTree>(form, "tvSite");
    const QFontMetrics metrics(tree->font());
    for (const auto& [address, row] : rowsOf(tree))
        for (int column : {int(SiteTree::Address), int(SiteTree::FixedAddress),
                           int(SiteTree::Action), int(SiteTree::Result)})
            QVERIFY2(tree->columnWidth(column) >= metrics.horizontalAdvance(row->text(column)),
                     qPrintable(address));
    auto widths = [tree] {
        int sum = 0;
        for (int column = 0; column < SiteTree::kColumns; ++column)
            sum += tree->columnWidth(column);
        return sum;
    };
    const int before = widths();
    form.resize(form.width() + 1200, form.height());
    QTRY_VERIFY(widths() > before);
    QTRY_COMPARE(widths(), tree->viewport()->width());

    QStringList letters;
    for (QAbstractButton* control :
         named<QWidget>(form, "tbsSite")->findChildren<QAbstractButton*>()) {
        const QString caption = control->text();
        const int amp = caption.indexOf(QLatin1Char('&'));
        if (amp >= 0) letters << caption.mid(amp + 1, 1).toLower();
    }
    letters << QStringLiteral("m"); // "&Model:"
    QVERIFY(named<QCheckBox>(form, "ckbRemotes")->text().contains(QLatin1Char('&')));
    QCOMPARE(QSet<QString>(letters.begin(), letters.end()).size(), letters.size());
    QVERIFY(QTest::qWaitForWindowActive(&form));
    const bool was = named<QCheckBox>(form, "ckbRemotes")->isChecked();
    QTest::keyClick(&form, Qt::Key_T, Qt::AltModifier);
    QTRY_COMPARE(named<QCheckBox>(form, "ckbRemotes")->isChecked(),
                 !was); // a mnemonic clicks by animation
}

QTEST_MAIN(SitePageTest)
#include "sitePageTest.moc"
