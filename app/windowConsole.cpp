// The window as the engine's console: its two logs, the progress bar, the labels, and the
// message boxes and file dialog that operations need, each carried over to the window's thread.

#include "fwUpgrade.h"
#include "logView.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QThread>

namespace {

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

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

void TForm1::onWindowThread(std::function<void()> f) {
    if (QThread::currentThread() == thread()) {
        f();
        return;
    }
    QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection);
}

void TForm1::askOnWindowThread(const std::function<void()>& f) {
    // The question's default answer stands when the window is being destroyed: f is not asked.
    const auto ask = [this, &f] {
        if (!destroying_) f();
    };
    if (QThread::currentThread() == thread()) {
        ask();
        return;
    }
    QMetaObject::invokeMethod(this, ask, Qt::BlockingQueuedConnection);
}

void TForm1::status(std::string_view line) {
    onWindowThread([this, text = toQString(line)] { mmoStatus->appendLine(text); });
}

void TForm1::report(std::string_view line) {
    onWindowThread([this, text = toQString(line)] { mmoReport->appendLine(text); });
}

void TForm1::clearStatus() {
    onWindowThread([this] { mmoStatus->clearLines(); });
}

void TForm1::clearReport() {
    onWindowThread([this] { mmoReport->clearLines(); });
}

void TForm1::replaceLastReportLine(std::string_view line) {
    onWindowThread([this, text = toQString(line)] { mmoReport->replaceLastLine(text); });
}

void TForm1::progress(int position, int min, int max) {
    onWindowThread([this, position, min, max] {
        pgrProgress->setRange(min, max);
        pgrProgress->setValue(position);
    });
}

void TForm1::message(MessageKind kind, std::string_view line) {
    askOnWindowThread([this, kind, text = toQString(line)] {
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
}

bool TForm1::confirm(std::string_view question) {
    bool yes = false;
    askOnWindowThread([this, &yes, text = toQString(question)] {
        yes = showMessageBox(QMessageBox::Information, QStringLiteral("Information"), text,
                             QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    });
    return yes;
}

void TForm1::setLabel(ConsoleLabel label, std::string_view line) {
    onWindowThread([this, label, text = toQString(line)] {
        QLabel* shown = label == ConsoleLabel::Cycle ? lblCycle
                        : label == ConsoleLabel::Cla ? lblCLA
                                                     : lblProgress;
        shown->setText(text);
    });
}

void TForm1::replaceReport(std::string_view text) {
    QStringList lines = toQString(text).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.constLast().isEmpty()) lines.removeLast();
    onWindowThread([this, lines] { mmoReport->setLines(lines); });
}

std::optional<std::string> TForm1::chooseFirmwareFile() {
    QString path;
    askOnWindowThread([this, &path] { path = askFirmwareFileName(); });
    if (path.isEmpty()) return std::nullopt;
    return QFile::encodeName(path).toStdString();
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
