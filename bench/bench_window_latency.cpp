// How late the window's own timers run while a single-unit upgrade goes on: a 10 ms timer on
// the window's thread during an upgrade clicked in the window against the simulator paced at
// 38400 baud, and the same timer with the window idle, side by side. The engine runs on its
// session's worker, so the window's thread should only ever wait for its own work.

#include "benchFolder.h"
#include "benchSupport.h"
#include "fwUpgrade.h"
#include "hexWriter.h"
#include "imageContent.h"
#include "logView.h"
#include "maskedEdit.h"
#include "radioGroup.h"
#include "sim/networkFile.h"
#include "sim/ptySimulator.h"
#include "tests/support/namedControl.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::uint32_t kBaud = 38400;
constexpr std::uint32_t kImageBytes = 64 * 1024;
constexpr int kTickMs = 10;
constexpr double kGoalMs = 20;
constexpr int kIdleTicks = 500;

const char* kNetwork = R"({ "controllers": [
  { "name": "c1", "la": "01", "fixedAddress": "10000001", "productId": 5, "version": "2.01" } ] })";

// Lateness of every tick of a 10 ms timer, in ms, until done() says to stop.
template <typename Done> std::vector<double> tickLateness(Done done) {
    std::vector<double> late;
    QElapsedTimer clock;
    clock.start();
    qint64 due = kTickMs;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QEventLoop loop;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        late.push_back(static_cast<double>(std::max<qint64>(now - due, 0)));
        due = now + kTickMs;
        if (done(late.size())) loop.quit();
    });
    timer.start(kTickMs);
    loop.exec();
    return late;
}

double percentile(std::vector<double> values, double share) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(share * static_cast<double>(values.size() - 1));
    return values[at];
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    const BenchFolder folder("Controller-K2.hex", fwgen::FileFormat::HexExtended, 9, 90,
                             kImageBytes, 17);
    sim::PtySimulator simulator(std::move(*sim::parseNetwork(kNetwork).network),
                                sim::PtyOptions{kBaud, 0});
    const auto device = simulator.start();
    if (!device) {
        std::printf("simulator did not start: %s\n", simulator.error().c_str());
        return 1;
    }

    TForm1 form;
    form.show();
    form.bus().port().setDevicePath(*device);
    named<RadioGroup>(form, "rgUnitType")->setItemIndex(static_cast<int>(UnitType::ControllerAB));
    emit named<RadioGroup>(form, "rgUnitType")
        ->itemClicked(static_cast<int>(UnitType::ControllerAB));
    named<MaskedEdit>(form, "edtControllerLA")->setFieldText(QStringLiteral("01"));
    named<QCheckBox>(form, "ckbForceUpgrade")->setChecked(true);

    const std::vector<double> idle = tickLateness([](std::size_t n) { return n >= kIdleTicks; });
    bool ended = false;
    QObject::connect(&form.bus(), &BusController::operationEnded, [&] { ended = true; });
    const double started = wallSeconds();
    named<QPushButton>(form, "btnUpgrade")->click();
    const std::vector<double> busy = tickLateness([&](std::size_t) { return ended; });
    const double took = wallSeconds() - started;
    const bool upgraded =
        named<LogView>(form, "mmoStatus")->lines().contains(QStringLiteral("Upgrade OK."));

    const double idleP99 = percentile(idle, 0.99), busyP99 = percentile(busy, 0.99);
    std::printf("10 ms timer on the window's thread (goal: 99th percentile of lateness under "
                "%.0f ms during an upgrade at %u baud)\n",
                kGoalMs, kBaud);
    std::printf("idle:    %zu ticks, lateness p50 %.1f ms, p99 %.1f ms, max %.1f ms\n", idle.size(),
                percentile(idle, 0.5), idleP99, percentile(idle, 1.0));
    std::printf("upgrade: %zu ticks in %.1f s (%s), lateness p50 %.1f ms, p99 %.1f ms, max %.1f "
                "ms\n",
                busy.size(), took, upgraded ? "upgraded" : "NOT UPGRADED", percentile(busy, 0.5),
                busyP99, percentile(busy, 1.0));
    if (!upgraded) return 1;
    reportRatio("window timer lateness p99 during an upgrade / 20 ms", busyP99 / kGoalMs, "< 1");
    return 0;
}
