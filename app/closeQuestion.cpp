// Closing the window while a run holds the bus: the window stays until the run has ended, and
// the operator chooses how it ends. A run writing units may let them finish (their pages,
// reset and confirmation) and start nothing new; "Stop now" stops it at its next checkpoint,
// whatever a unit is in the middle of; "Keep running" lets it go on and keeps the window.

#include "extTimeout.h"
#include "fwUpgrade.h"

#include <QCloseEvent>
#include <QLabel>
#include <QTimer>

namespace {

const QString kTitle = QStringLiteral("Close");

} // namespace

bool TForm1::askStopForClose() {
    RunControl& control = bus_.session().control();
    const QString units = QString::fromStdString(control.unitsInHand());
    const bool writing = !units.isEmpty();
    const bool several = units.contains(QLatin1Char(','));
    const QString text = writing ? QStringLiteral("A run is writing unit%1 %2.")
                                       .arg(several ? QStringLiteral("s") : QString(), units)
                                 : QStringLiteral("A run is in progress.");
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
        if (control.stopLevel() == StopLevel::None) showStopAsked(control.requestStop());
        return true;
    case QMessageBox::Abort:
        control.requestStopNow();
        return true;
    default:
        return false;
    }
}

// The status line says what a Stop that lets the units finish waits for.
void TForm1::showStopAsked(StopLevel level) {
    if (level != StopLevel::AfterUnitsInHand) return;
    const QString note = QString::fromStdString(bus_.session().control().finishNote());
    if (!note.isEmpty()) lblSite->setText(note);
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
