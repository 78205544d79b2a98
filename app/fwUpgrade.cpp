#include "fwUpgrade.h"

#include "appVersion.h"
#include "extTimeout.h"
#include "logFile.h"
#include "logView.h"
#include "miscPage.h"
#include "runButtons.h"
#include "sitePage.h"
#include "systemToolsPage.h"
#include "trustedKey.h"
#include "upgradePage.h"

#include <QActionGroup>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

namespace {

const char* const kLoggingModeSuffix = " - Logging Mode";
constexpr int kWindowWidth = 571;
constexpr int kWindowHeight = 459;

} // namespace

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      WindowDialogs(static_cast<QWidget&>(*this)), runButtons_(new RunButtons(bus_, this)) {
    buildWindow();
    buildMenus();
    buildTrustBar();
    FormCreate();
    frmExtTimeout = new TfrmExtTimeout(bus_, this);
    connectBus();
    attachReportMenu(upgradePage_->statusLog());
    attachReportMenu(systemToolsPage_->reportLog());
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
    upgradePage_ = new UpgradePage(bus_);
    pgUpgrade->addTab(upgradePage_, QStringLiteral("Firmware Upgrade"));
    systemToolsPage_ = new SystemToolsPage(bus_);
    pgUpgrade->addTab(systemToolsPage_, QStringLiteral("System Tools"));
    pgUpgrade->addTab(new MiscPage(bus_), QStringLiteral("Misc"));
    sitePage_ = new SitePage(bus_, *this);
    pgUpgrade->addTab(sitePage_, QStringLiteral("Site"));
    pgUpgrade->setCurrentIndex(0);
    setCentralWidget(pgUpgrade);
}

// Caption, menu ticks matching the port's settings, and logging mode.
void TForm1::FormCreate() {
    QString caption = QStringLiteral("%1 %2").arg(QLatin1String(kApplicationName),
                                                  QLatin1String(kApplicationVersion));
    bus_.link().detectLogging();
    if (bus_.link().logging()) caption += QLatin1String(kLoggingModeSuffix);
    setWindowTitle(caption);
}

void TForm1::buildTrustBar() {
    lblTrustedKey = new QLabel(this);
    lblTrustedKey->setObjectName(QStringLiteral("lblTrustedKey"));
    lblTrustedKey->setAccessibleName(QStringLiteral("Trusted key"));
    statusBar()->addPermanentWidget(lblTrustedKey, 1);
    restoreTrustedKey(*this, bus_);
}

LogView* TForm1::showingLog() const {
    return pgUpgrade->currentWidget() == upgradePage_ ? upgradePage_->statusLog()
                                                      : systemToolsPage_->reportLog();
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

void TForm1::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    QPushButton* upgrade = upgradePage_->defaultButton();
    if (enter && plain && upgrade->isVisible() && upgrade->isEnabled()) {
        upgrade->click();
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
