#include "demoSite.h"

#include "fwUpgrade.h"
#include "sim/networkFile.h"
#include "sim/ptySimulator.h"
#include "tests/support/namedControl.h"
#include "tests/support/sampleFiles.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

namespace {

constexpr int kPlanMs = 60000;

std::optional<QString> copySamples(const QDir& to) {
    try {
        testkit::copySampleFiles(NEXALO_FW_SAMPLES_DIR, to.path().toStdString());
    } catch (const std::filesystem::filesystem_error& error) {
        return QString::fromLocal8Bit(error.what());
    }
    return std::nullopt;
}

std::optional<sim::Network> demoNetwork(QString& error) {
    QFile file(QStringLiteral(NEXALO_SOURCE_DIR "/sim/networks/demo.json"));
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("no %1").arg(file.fileName());
        return std::nullopt;
    }
    sim::NetworkLoad load = sim::parseNetwork(file.readAll().toStdString());
    if (!load.network) error = QString::fromStdString(load.error);
    return load.network;
}

} // namespace

struct DemoSite::Parts {
    QTemporaryDir folder;
    QString previousFolder = QDir::currentPath();
    std::optional<sim::PtySimulator> simulator;
};

DemoSite::DemoSite() : parts_(std::make_unique<Parts>()) {}

DemoSite::~DemoSite() {
    parts_->simulator.reset();
    QDir::setCurrent(parts_->previousFolder);
}

std::optional<QString> DemoSite::plan(TForm1& form) {
    if (!parts_->folder.isValid()) return QStringLiteral("no temporary folder");
    if (auto failed = copySamples(QDir(parts_->folder.path()))) return failed;
    QString error;
    auto network = demoNetwork(error);
    if (!network) return error;
    // The run reads the firmware files from the working folder, as the window does on site.
    QDir::setCurrent(parts_->folder.path());
    // Behind COM1, the window's first port, as nexalo-sim --link COM1 serves it on site.
    parts_->simulator.emplace(std::move(*network));
    if (!parts_->simulator->start(
            QDir(parts_->folder.path()).filePath(QStringLiteral("COM1")).toStdString()))
        return QString::fromStdString(parts_->simulator->error());

    QEventLoop loop;
    QObject::connect(&form.bus(), &BusController::operationEnded, &loop, &QEventLoop::quit);
    QTimer::singleShot(kPlanMs, &loop, &QEventLoop::quit);
    named<QPushButton>(form, "btnPlan")->click();
    if (!form.running()) return QStringLiteral("the plan did not start");
    loop.exec();
    if (form.running()) return QStringLiteral("the plan did not end in time");
    if (!form.bus().lastSite() || form.bus().lastSite()->units.empty())
        return QStringLiteral("nothing planned");
    return std::nullopt;
}
