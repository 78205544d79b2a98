// The window as the engine's console: its two logs, the progress bar, the labels, and the
// message boxes and file dialog that operations need, each carried over to the window's thread.

#include "fwUpgrade.h"
#include "logView.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>

namespace {

QString runFileDialog(QWidget* parent, const QString& name, QFileDialog::AcceptMode mode,
                      const QString& filter, const QString& defaultSuffix) {
    QFileDialog dialog(parent);
    dialog.setObjectName(name);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                       : QFileDialog::ExistingFile);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setDirectory(QDir::current());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

void TForm1::connectBus() {
    BusController* bus = &bus_;
    connect(bus, &BusController::reportLine, mmoReport, &LogView::appendLine);
    connect(bus, &BusController::reportCleared, mmoReport, &LogView::clearLines);
    connect(bus, &BusController::lastReportLineReplaced, mmoReport, &LogView::replaceLastLine);
    connect(bus, &BusController::reportReplaced, mmoReport, &LogView::setLines);
    connect(bus, &BusController::labelSet, this, [this](ConsoleLabel label, const QString& text) {
        QLabel* shown = label == ConsoleLabel::Cycle ? lblCycle
                        : label == ConsoleLabel::Cla ? lblCLA
                                                     : lblProgress;
        shown->setText(text);
    });
    connect(bus, &BusController::messageAsked, this, [this](MessageKind kind, const QString& text) {
        switch (kind) {
        case MessageKind::Error:
            showMessageBox(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok);
            break;
        case MessageKind::Information:
            showMessageBox(QMessageBox::Information, QStringLiteral("Information"), text,
                           QMessageBox::Ok);
            break;
        case MessageKind::Plain:
            showMessageBox(QMessageBox::NoIcon, QString::fromLatin1(kApplicationName), text,
                           QMessageBox::Ok);
            break;
        }
    });
    connect(bus, &BusController::confirmAsked, this, [this](const QString& text, bool* yes) {
        *yes = showMessageBox(QMessageBox::Information, QStringLiteral("Information"), text,
                              QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    });
    connect(bus, &BusController::firmwareFileAsked, this,
            [this](QString* path) { *path = askFirmwareFileName(); });
    connect(bus, &BusController::finished, this, &TForm1::operationFinished);
}

QMessageBox::StandardButton
TForm1::showMessageBox(QMessageBox::Icon icon, const QString& title, const QString& text,
                       QMessageBox::StandardButtons buttons,
                       const QMap<QMessageBox::StandardButton, QString>& captions) {
    QMessageBox box(icon, title, text, buttons, this);
    for (auto caption = captions.cbegin(); caption != captions.cend(); ++caption)
        if (QAbstractButton* button = box.button(caption.key())) button->setText(caption.value());
    // A question that can be answered No is answered No by Enter: what it asks about (a
    // controller's memory cleared) cannot be undone. One that can be cancelled is cancelled.
    if (buttons.testFlag(QMessageBox::No))
        box.setDefaultButton(QMessageBox::No);
    else if (buttons.testFlag(QMessageBox::Cancel))
        box.setDefaultButton(QMessageBox::Cancel);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString TForm1::askSaveFileName() {
    return runFileDialog(this, QStringLiteral("mnuSave"), QFileDialog::AcceptSave,
                         QStringLiteral("Text (*.txt);;All files (*)"), QStringLiteral("txt"));
}

QString TForm1::askOpenFileName() {
    return runFileDialog(this, QStringLiteral("mnuOpen"), QFileDialog::AcceptOpen,
                         QStringLiteral("Text (*.txt);;All Files (*)"), QStringLiteral("txt"));
}

// Firmware file names are matched without regard to case, as on the units' home platform.
QString TForm1::askFirmwareFileName() {
    QFileDialog dialog(this, QStringLiteral("Select Application Hex file"), QDir::currentPath());
    dialog.setObjectName(QStringLiteral("opdApp"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QStringLiteral("Intel Hex File (*.hex *.HEX)"),
                           QStringLiteral("Motorola S-record (*.S* *.s*)"),
                           QStringLiteral("All Files (*)")});
    dialog.setDefaultSuffix(QStringLiteral("hex"));
    dialog.selectFile(QStringLiteral("*.hex; *.s28"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}
