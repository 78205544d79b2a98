// Closing the window while a run holds the bus: the window stays until the run has ended, and
// the operator chooses how it ends. A run writing units may let them finish (their pages,
// reset and confirmation) and start nothing new; "Stop now" stops it at its next checkpoint,
// whatever a unit is in the middle of; "Keep running" lets it go on and keeps the window.

#include "extTimeout.h"
#include "fwUpgrade.h"
#include "sitePage.h"

#include <QCloseEvent>
#include <QLabel>
#include <QTimer>

namespace {

const QString kTitle = QStringLiteral("Close");
const QString kInProgress =
    QStringLiteral("A run is in progress.\n\nStop now ends it at its next step, then the window "
                   "closes. Keep running lets it go on and keeps the window.");

// What each answer does to the units being written.
QString whileWriting(const QString& units, bool several) {
    const QString plural = several ? QStringLiteral("s") : QString();
    return QStringLiteral("A run is writing unit%1 %2.\n\nStop after %3 lets %2 finish, then the "
                          "window closes. Stop now leaves %2 in %4 boot loader. Keep running "
                          "lets the run go on and keeps the window.")
        .arg(plural, units, several ? QStringLiteral("them") : QStringLiteral("it"),
             several ? QStringLiteral("their") : QStringLiteral("its"));
}

} // namespace

bool TForm1::askStopForClose() {
    RunControl& control = bus_.session().control();
    const QString units = QString::fromStdString(control.unitsInHand());
    const bool writing = !units.isEmpty();
    const bool several = units.contains(QLatin1Char(','));
    const QString text = writing ? whileWriting(units, several) : kInProgress;
    QMessageBox::StandardButtons buttons = QMessageBox::Abort | QMessageBox::Cancel;
    if (writing) buttons |= QMessageBox::Yes;
    const QMap<QMessageBox::StandardButton, QString> captions{
        {QMessageBox::Yes,
         several ? QStringLiteral("Stop after them") : QStringLiteral("Stop after it")},
        {QMessageBox::Abort, QStringLiteral("Stop now")},
        {QMessageBox::Cancel, QStringLiteral("Keep running")}};
    switch (showMessageBox(QMessageBox::Question, kTitle, text, buttons, captions)) {
    case QMessageBox::Yes:
        // A Stop already asked stands: asked again it would stop at once.
        if (control.stopLevel() == StopLevel::None) sitePage_->showStopAsked(control.requestStop());
        return true;
    case QMessageBox::Abort:
        control.requestStopNow();
        return true;
    default:
        return false;
    }
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (running()) {
        event->ignore();
        // Everything the running operation uses lives in this window: it ends first. The box
        // waits for an answer while the run goes on, and may see it end meanwhile.
        if (!askStopForClose()) return;
        closePending_ = true;
        if (!running()) QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    closePending_ = false;
    frmExtTimeout->hide();
    event->accept();
}
