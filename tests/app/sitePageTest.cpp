// The Site page driven by clicks against the demo network on a pseudo-terminal, with the
// sample firmware files in the working folder: the plan, the whole-site upgrade (stopped once
// half way, then finished), and the report it saves.

#include "link/catalogue.h"
#include "logView.h"
#include "siteTree.h"
#include "testForm.h"
#include "tests/support/windowRun.h"
#include "tools/surveyLines.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>

namespace {

// A whole-site run of the demo network writes every file it has and waits out each unit's erase
// and restart: about three minutes; a run that takes twice as long has hung.
constexpr int kSiteRunMs = 360000;

struct Planned {
    const char* name; // in the network file
    const char* kind;
    const char* file; // "" for none
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

std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The generator's list of the sample files: name, format, version.
std::map<QString, QString> sampleVersions() {
    std::map<QString, QString> versions;
    std::istringstream list(readText(std::filesystem::path(NEXALO_FW_SAMPLES_DIR) / "samples.txt"));
    for (std::string line; std::getline(list, line);) {
        const QStringList fields = QString::fromStdString(line).split(QLatin1Char('\t'));
        if (fields.size() >= 3 && !fields[0].startsWith(QLatin1Char('#')))
            versions[fields[0]] = fields[2];
    }
    return versions;
}

struct Row {
    QTreeWidgetItem* item;
    QString text(SiteTree::Column column) const { return item->text(column); }
};

// The rows of the tree by address, every level.
std::map<QString, Row> rowsOf(SiteTree* tree) {
    std::map<QString, Row> rows;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        rows[(*it)->text(SiteTree::Address)] = {*it};
    return rows;
}

struct SitePage {
    InTemporaryFolder folder;
    TestForm form;
    std::optional<SimulatedBus> bus;
    std::map<QString, QString> versions = sampleVersions();

    bool ready() {
        for (const auto& [name, version] : versions)
            std::filesystem::copy_file(std::filesystem::path(NEXALO_FW_SAMPLES_DIR) /
                                           name.toStdString(),
                                       folder.file(name).toStdString());
        const std::string demo =
            readText(std::filesystem::path(NEXALO_SOURCE_DIR) / "sim/networks/demo.json");
        bus.emplace(form, demo.c_str());
        form.pgUpgrade->setCurrentWidget(form.tbsSite);
        form.show();
        return bus->ready && QTest::qWaitForWindowExposed(&form);
    }
    // The requests that reached the bus with a command that changes a unit.
    QStringList changingRequests() {
        static const char* const kChanging[] = {
            cmd::EnterUpgrade, cmd::EraseCode,   cmd::WritePageCode,          cmd::NewLaCode,
            cmd::Reset,        cmd::ClearMemory, cmd::ControllerUpgradeStart, cmd::UpgradeRunStart};
        QStringList changing;
        for (const QString& frame : bus->frames())
            for (const char* command : kChanging)
                if (frame.section(QLatin1Char(':'), 1).startsWith(QLatin1String(command)))
                    changing << frame;
        return changing;
    }
};

} // namespace

class SitePageTest : public QObject {
    Q_OBJECT

private slots:
    // A screen reader names every control of the page; Save Report waits for a run.
    void everyControlHasAnAccessibleName() {
        InTemporaryFolder folder;
        TestForm form;
        QCOMPARE(form.pgUpgrade->widget(3), form.tbsSite);
        for (QWidget* control : form.tbsSite->findChildren<QWidget*>()) {
            // The tree's and the combo box's own parts are named by them.
            const bool part = control->window() != &form || form.tvSite->isAncestorOf(control) ||
                              form.cbxModel->isAncestorOf(control);
            if (part || control->focusPolicy() == Qt::NoFocus) continue;
            QVERIFY2(!control->accessibleName().isEmpty(), control->metaObject()->className());
        }
        QVERIFY(!form.tvSite->accessibleName().isEmpty());
        QVERIFY(!form.btnSaveReport->isEnabled());
    }

    // The plan sends nothing that changes a unit; each row says what the run would do with it,
    // where it stands in the bus, and reads with its column's name.
    void planByClickFillsTheTree() {
        SitePage page;
        QVERIFY(page.ready());
        QVERIFY(clickAndWait(page.form, page.form.btnPlan));
        const auto rows = rowsOf(page.form.tvSite);
        QCOMPARE(rows.size(), kDemoPlan.size());
        for (const auto& [address, planned] : kDemoPlan) {
            QVERIFY2(rows.count(address), qPrintable(address));
            const Row& row = rows.at(address);
            QCOMPARE(row.text(SiteTree::Action), QString::fromLatin1(planned.action));
            QCOMPARE(row.text(SiteTree::File), QString::fromLatin1(planned.file));
            const bool remote = QLatin1String(planned.kind) == QLatin1String("remote");
            QCOMPARE(row.text(SiteTree::FileVersion),
                     remote ? QString() : page.versions[QString::fromLatin1(planned.file)]);
            const bool upgrade = QLatin1String(planned.action) == QLatin1String("upgrade");
            QCOMPARE(row.text(SiteTree::Result),
                     upgrade ? QStringLiteral("planned") : QString::fromLatin1(planned.action));
            QCOMPARE(row.item->data(SiteTree::Address, Qt::AccessibleTextRole).toString(),
                     QStringLiteral("%1 %2").arg(QLatin1String(planned.kind), address));
            QCOMPARE(row.item->data(SiteTree::Action, Qt::AccessibleTextRole).toString(),
                     QStringLiteral("Action: %1").arg(QLatin1String(planned.action)));
        }
        QCOMPARE(rows.at("0101").text(SiteTree::Version), QStringLiteral("1.02"));
        QCOMPARE(rows.at("0101").item->parent(), rows.at("0100").item);
        QCOMPARE(rows.at("0205").item->parent(), rows.at("0200").item);
        QCOMPARE(rows.at("0103").item->parent(), rows.at("0100").item);
        QVERIFY(rows.at("7F00").item->parent() == nullptr);
        QCOMPARE(page.changingRequests(), QStringList());
        QVERIFY(page.form.lblSite->text().startsWith(QStringLiteral("Plan (")));
        const auto upgrades =
            std::count_if(kDemoPlan.begin(), kDemoPlan.end(), [](const auto& unit) {
                return QLatin1String(unit.second.action) == QLatin1String("upgrade");
            });
        QVERIFY2(page.form.lblSite->text().endsWith(
                     QStringLiteral(": upgrade %1, on request 1.").arg(upgrades)),
                 qPrintable(page.form.lblSite->text()));

        // The C/D model gives the product-5 controller the C/D file.
        page.form.cbxModel->setCurrentIndex(1);
        QVERIFY(clickAndWait(page.form, page.form.btnPlan));
        QCOMPARE(rowsOf(page.form.tvSite).at("0100").text(SiteTree::File),
                 QStringLiteral("QRM-C.hex"));
    }

    // Stopped while it writes, the run leaves the rest not done; the next run finishes the
    // site, every row read back at its file's version, and a plan after it finds nothing to do.
    void upgradeSiteByClickBringsTheDemoUpToDate() {
        SitePage page;
        QVERIFY(page.ready());
        TestForm& form = page.form;
        bool sawRunning = false;
        QTimer stopper;
        QObject::connect(&stopper, &QTimer::timeout, [&] {
            const auto rows = rowsOf(form.tvSite);
            const bool writing = std::any_of(rows.begin(), rows.end(), [](const auto& row) {
                return !row.second.text(SiteTree::Progress).isEmpty();
            });
            if (!writing) return;
            stopper.stop();
            sawRunning = form.btnSite->text() == QStringLiteral("&Stop") &&
                         !form.btnPlan->isEnabled() && !form.cbxModel->isEnabled();
            QTest::mouseClick(form.btnSite, Qt::LeftButton);
        });
        stopper.start(5);
        QVERIFY(clickAndWait(form, form.btnSite, kSiteRunMs));
        QVERIFY(sawRunning);
        QVERIFY(form.siteBus && form.siteBus->stopped);
        QVERIFY(form.lblSite->text().startsWith(QStringLiteral("Stopped")));
        QVERIFY(form.lblSite->text().contains(QStringLiteral("not done")));
        QCOMPARE(form.btnSite->text(), QStringLiteral("Upgrade &Site"));
        QVERIFY(form.btnPlan->isEnabled());

        QVERIFY(clickAndWait(form, form.btnSite, kSiteRunMs));
        QVERIFY2(form.siteBus && siteSucceeded(*form.siteBus), qPrintable(form.lblSite->text()));
        QVERIFY(form.lblSite->text().startsWith(QStringLiteral("Site up to date")));
        for (const auto& [address, row] : rowsOf(form.tvSite)) {
            const QString planned = QString::fromLatin1(kDemoPlan.at(address).action);
            const QString result = row.text(SiteTree::Result);
            if (planned == QStringLiteral("on request")) {
                QCOMPARE(result, planned);
                continue;
            }
            QVERIFY2(result == QStringLiteral("upgraded") || result == QStringLiteral("up to date"),
                     qPrintable(address + QStringLiteral(": ") + result));
            QCOMPARE(row.text(SiteTree::Version), row.text(SiteTree::FileVersion));
            // What the unit itself holds now, not what the window was told.
            const sim::Unit unit = page.bus->unit(kDemoPlan.at(address).name);
            QCOMPARE(QString::fromStdString(versionText(unit.version)),
                     page.versions[QString::fromLatin1(kDemoPlan.at(address).file)]);
        }

        QVERIFY(clickAndWait(form, form.btnPlan));
        for (const auto& [address, row] : rowsOf(form.tvSite))
            if (address != QStringLiteral("0103"))
                QCOMPARE(row.text(SiteTree::Action), QStringLiteral("up to date"));
    }

    // The report of the plan parses and holds its units; a file that cannot be written is
    // said in a box and in the log.
    void saveReportWritesTheRunsDocument() {
        SitePage page;
        QVERIFY(page.ready());
        QVERIFY(clickAndWait(page.form, page.form.btnPlan));
        page.form.savePath = page.folder.file(QStringLiteral("site.json"));
        QTest::mouseClick(page.form.btnSaveReport, Qt::LeftButton);
        QFile file(page.form.savePath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QJsonParseError error;
        const QJsonDocument report = QJsonDocument::fromJson(file.readAll(), &error);
        QVERIFY2(!report.isNull(), qPrintable(error.errorString()));
        QStringList addresses;
        for (const QJsonValue bus : report.object().value(QStringLiteral("buses")).toArray())
            for (const QJsonValue unit : bus.toObject().value(QStringLiteral("units")).toArray())
                addresses << unit.toObject().value(QStringLiteral("address")).toString();
        QCOMPARE(addresses.size(), int(kDemoPlan.size()));
        for (const QString& address : addresses)
            QVERIFY2(kDemoPlan.count(address), qPrintable(address));

        page.form.savePath = page.folder.file(QStringLiteral("missing/site.json"));
        QTest::mouseClick(page.form.btnSaveReport, Qt::LeftButton);
        QCOMPARE(page.form.messages.size(), 1);
        QCOMPARE(page.form.messages.first().icon, QMessageBox::Critical);
        QCOMPARE(page.form.mmoStatus->lines().constLast(), page.form.messages.first().text);
    }
};

QTEST_MAIN(SitePageTest)
#include "sitePageTest.moc"
