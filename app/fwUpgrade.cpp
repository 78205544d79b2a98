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
constexpr std::uint32_t kEndWaitSliceMs = 10;
const QString kStopCaption = QStringLiteral("&Stop");
const QString kSkipCaption = QStringLiteral("&Skip");

} // namespace

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      session(*this), portCom(session.port()), link(session.link()) {
    configureForTool(portCom);
    // The phase changes on the worker; the captions follow on the window's thread.
    session.control().setObserver([this](RunPhase) { onWindowThread([this] { showRunPhase(); }); });
    buildWindow();
    buildMenus();
    buildTrustBar();
    FormCreate();
    frmExtTimeout = new TfrmExtTimeout(*this, this);
}

// The window waits for a run to end before it closes; should it be destroyed during one all
// the same, the run is stopped and its questions answered until it has ended: No, no file, no
// box (a box from a window half destroyed would be the base class's, a real one).
TForm1::~TForm1() {
    destroying_ = true;
    session.control().setObserver({});
    session.control().requestStopNow();
    while (!session.waitFor(kEndWaitSliceMs))
        QCoreApplication::processEvents();
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
    link.detectLogging();
    if (link.logging()) caption += QLatin1String(kLoggingModeSuffix);
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

bool TForm1::runOperation(std::function<void()> operation, RunLog log, QPushButton* button,
                          std::function<void()> ended) {
    if (running_) return false;
    running_ = true;
    runButton_ = button;
    if (button != nullptr) runCaption_ = button->text();
    const bool started =
        session.start([operation = std::move(operation)](OperationContext&) { operation(); }, log,
                      [this, ended = std::move(ended)](const Outcome& ran) {
                          onWindowThread([this, ended, ran] {
                              operationEnd_ = ran;
                              operationFinished(ended);
                          });
                      });
    if (!started) {
        running_ = false;
        runButton_ = nullptr;
        showRunPhase();
        return false;
    }
    showRunPhase();
    return true;
}

void TForm1::startsOperation(QWidget* control) {
    startControls_.append(control);
}

void TForm1::startsOperation(QAction* item) {
    startItems_.append(item);
}

// Queued after every line the operation wrote, so they are all shown by now.
void TForm1::operationFinished(const std::function<void()>& ended) {
    running_ = false;
    if (runButton_ != nullptr) runButton_->setText(runCaption_);
    runButton_ = nullptr;
    showRunPhase();
    guarded([&] {
        if (ended) ended();
    });
    emit operationEnded();
    if (closePending_) QTimer::singleShot(0, this, &QWidget::close);
}

// A click on a control that the session would refuse is not offered: the controls that start
// an operation wait for the run to end, and the line's settings stay as the run opened them.
// The window's own end of a run (its ended step) counts as part of the run.
void TForm1::showRunPhase() {
    const RunPhase phase = session.control().phase();
    const bool busy = running_ || phase != RunPhase::Idle;
    for (QWidget* control : std::as_const(startControls_))
        control->setEnabled(!busy || control == runButton_);
    for (QAction* item : std::as_const(startItems_))
        item->setEnabled(!busy);
    portItems->setEnabled(!busy);
    baudItems->setEnabled(!busy);
    if (runButton_ == nullptr || !running_) return;
    // The site run plans from whole searches: its button is only ever its Stop.
    const bool offersSkip = phase == RunPhase::Discovering && runButton_ != btnSite;
    runButton_->setText(offersSkip ? kSkipCaption : kStopCaption);
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
