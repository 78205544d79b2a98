#include "fwUpgrade.h"

#include "extTimeout.h"
#include "logFile.h"
#include "logView.h"
#include "maskedEdit.h"
#include "trustedKey.h"

#include <QActionGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

namespace {

const QStringList kStartupNotice = {
    QStringLiteral("-------------------  IMPORTANT NOTICE ----------------------"),
    QStringLiteral("The displayed Controller/Terminal version numbers "),
    QStringLiteral("have changed from hexadecimal to decimal format."),
    QStringLiteral("________________________________________"),
    QString(),
    QString(),
};

constexpr int kWindowWidth = 571;
constexpr int kWindowHeight = 459;
const QString kStopCaption = QStringLiteral("&Stop");
const QString kSkipCaption = QStringLiteral("&Skip");

} // namespace

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    buildWindow();
    buildMenus();
    buildTrustBar();
    FormCreate();
    frmExtTimeout = new TfrmExtTimeout(*this, this);
    connectBus();
    connectSite();
}

// The window waits for a run to end before it closes; should it be destroyed during one all
// the same, the run is stopped and its questions answered until it has ended: No, no file, no
// box (a box from a window half destroyed would be the base class's, a real one).
TForm1::~TForm1() {
    bus_.shutDown();
}

void TForm1::buildWindow() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromLatin1(kApplicationName));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    resize(kWindowWidth, kWindowHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    pgUpgrade = new QTabWidget(this);
    pgUpgrade->setObjectName(QStringLiteral("pgUpgrade"));
    pgUpgrade->addTab(buildUpgradePage(), QStringLiteral("Firmware Upgrade"));
    pgUpgrade->addTab(buildSystemToolsPage(), QStringLiteral("System Tools"));
    pgUpgrade->addTab(buildMiscPage(), QStringLiteral("Misc"));
    pgUpgrade->addTab(buildSitePage(), QStringLiteral("Site"));
    pgUpgrade->setCurrentIndex(0);
    setCentralWidget(pgUpgrade);
    showStartupNotice();
}

// Caption, menu ticks matching the port's settings, and logging mode.
void TForm1::FormCreate() {
    QString caption =
        QStringLiteral("%1 %2").arg(QLatin1String(kApplicationName), QLatin1String(kVersion));
    bus_.link().detectLogging();
    if (bus_.link().logging()) caption += QLatin1String(kLoggingModeSuffix);
    setWindowTitle(caption);
}

void TForm1::buildTrustBar() {
    lblTrustedKey = new QLabel(this);
    lblTrustedKey->setObjectName(QStringLiteral("lblTrustedKey"));
    lblTrustedKey->setAccessibleName(QStringLiteral("Trusted key"));
    statusBar()->addPermanentWidget(lblTrustedKey, 1);
    restoreTrustedKey(*this);
}

void TForm1::showStartupNotice() {
    mmoStatus->setLines(kStartupNotice);
}

void TForm1::mmoStatusDblClick() {
    mmoStatus->clearLines();
}

void TForm1::mmoReportDblClick() {
    mmoReport->clearLines();
}

LogView* TForm1::showingLog() const {
    return pgUpgrade->currentWidget() == tbsUpgrade ? mmoStatus : mmoReport;
}

void TForm1::Save1Click() {
    guarded([this] {
        const QString path = askSaveFileName();
        if (path.isEmpty()) return;
        QString error;
        if (!saveLogLines(path, showingLog()->lines(), error))
            showMessageBox(QMessageBox::Critical, QStringLiteral("Error"), error, QMessageBox::Ok);
    });
}

void TForm1::Open1Click() {
    guarded([this] {
        const QString path = askOpenFileName();
        if (path.isEmpty()) return;
        QString error;
        if (const auto lines = loadLogLines(path, error))
            showingLog()->setLines(*lines);
        else
            showMessageBox(QMessageBox::Critical, QStringLiteral("Error"), error, QMessageBox::Ok);
    });
}

void TForm1::ExtendedTimeouts1Click() {
    frmExtTimeout->show();
    frmExtTimeout->raise();
    frmExtTimeout->activateWindow();
}

void TForm1::startsOperation(QWidget* control, BusOperation stops) {
    startControls_.append({control, stops});
    if (stops != BusOperation::None)
        if (auto* button = qobject_cast<QPushButton*>(control))
            idleCaptions_.insert(control, button->text());
}

void TForm1::startsOperation(QAction* item) {
    startItems_.append(item);
}

// After every line the operation wrote: the page that started it is idle again, then a close
// asked meanwhile is carried out.
void TForm1::operationFinished(BusOperation kind, const Outcome& outcome) {
    guarded([&] {
        if (kind == BusOperation::Upgrade) upgradeEnded(outcome);
        if (kind == BusOperation::CommsTest)
            // Enabled again in either mode, as they were before the mode switch disabled one.
            for (QWidget* input : {static_cast<QWidget*>(edtCycles), static_cast<QWidget*>(edtCLA)})
                input->setEnabled(true);
        if (kind == BusOperation::Site) siteRunEnded();
    });
    if (closePending_) QTimer::singleShot(0, this, &QWidget::close);
}

// A click on a control that the session would refuse is not offered: the controls that start
// an operation wait for the run to end, and the line's settings stay as the run opened them.
// The window's own end of a run counts as part of the run.
void TForm1::showRunPhase() {
    const bool idle = bus_.canStart();
    const BusOperation running = bus_.running();
    const RunPhase phase = bus_.phase();
    for (const auto& [control, stops] : std::as_const(startControls_)) {
        const bool runButton = !idle && stops != BusOperation::None && stops == running;
        control->setEnabled(idle || runButton);
        auto* button = qobject_cast<QPushButton*>(control);
        if (button == nullptr || stops == BusOperation::None) continue;
        // The site run plans from whole searches: its button is only ever its Stop.
        const bool offersSkip = phase == RunPhase::Discovering && stops != BusOperation::Site;
        if (runButton)
            button->setText(offersSkip ? kSkipCaption : kStopCaption);
        else if (stops != BusOperation::Site)
            button->setText(idleCaptions_.value(control));
    }
    for (QAction* item : std::as_const(startItems_))
        item->setEnabled(idle);
    portItems->setEnabled(idle);
    baudItems->setEnabled(idle);
}

void TForm1::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (enter && plain && btnUpgrade->isVisible() && btnUpgrade->isEnabled()) {
        btnUpgrade->click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TForm1::guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        showMessageBox(QMessageBox::Critical, QStringLiteral("Error"),
                       QString::fromLocal8Bit(error.what()), QMessageBox::Ok);
    } catch (...) {
        showMessageBox(QMessageBox::Critical, QStringLiteral("Error"),
                       QStringLiteral("Unexpected error"), QMessageBox::Ok);
    }
}

// Misc page: the New LA field follows the kind of unit whose LA is set.
void TForm1::rbnContrClick() {
    edtLA->setEditMask(QStringLiteral("!>AA;0;_"));
    edtLA->setFieldText(QStringLiteral("01"));
}

void TForm1::rbnTermClick() {
    edtLA->setEditMask(QStringLiteral("!>AA:AA;0;_"));
    edtLA->setFieldText(QStringLiteral("0101"));
}

void TForm1::ckbClrAllClick() {
    edtClrLA->setEnabled(!ckbClrAll->isChecked());
}
