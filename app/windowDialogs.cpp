// The window's questions as real dialogs: message boxes, file dialogs and the network address.

#include "windowDialogs.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QTimer>

namespace {

const QString kJsonFilter = QStringLiteral("Site report (*.json)");
const QString kTextFilter = QStringLiteral("Printable report (*.txt)");

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

WindowDialogs::WindowDialogs(QWidget& parent) : parent_(parent) {}

QMessageBox::StandardButton
WindowDialogs::showMessageBox(QMessageBox::Icon icon, const QString& title, const QString& text,
                              QMessageBox::StandardButtons buttons,
                              const QMap<QMessageBox::StandardButton, QString>& captions) {
    QMessageBox box(icon, title, text, buttons, &parent_);
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

QString WindowDialogs::askSaveFileName() {
    return runFileDialog(&parent_, QStringLiteral("mnuSave"), QFileDialog::AcceptSave,
                         QStringLiteral("Text (*.txt);;All files (*)"), QStringLiteral("txt"));
}

QString WindowDialogs::askOpenFileName() {
    return runFileDialog(&parent_, QStringLiteral("mnuOpen"), QFileDialog::AcceptOpen,
                         QStringLiteral("Text (*.txt);;All Files (*)"), QStringLiteral("txt"));
}

// Firmware file names are matched without regard to case, as on the units' home platform.
QString WindowDialogs::askFirmwareFileName() {
    QFileDialog dialog(&parent_, QStringLiteral("Select Application Hex file"),
                       QDir::currentPath());
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

WindowQuestions::TypedLine WindowDialogs::askNetworkAddress(const TypedLine& offer) {
    QInputDialog dialog(&parent_);
    dialog.setObjectName(QStringLiteral("dlgNetwork"));
    dialog.setWindowTitle(QStringLiteral("Network Port"));
    dialog.setLabelText(QStringLiteral("Serial device server (tcp://HOST:PORT or "
                                       "rfc2217://HOST:PORT):"));
    dialog.setTextValue(offer.text.isEmpty() ? QStringLiteral("tcp://") : offer.text);
    // The offered text is a start to type on, not a choice to type over.
    QTimer::singleShot(0, &dialog, [&dialog, cursor = offer.cursor] {
        if (auto* edit = dialog.findChild<QLineEdit*>()) {
            edit->deselect();
            if (cursor < 0)
                edit->end(false);
            else
                edit->setCursorPosition(cursor);
        }
    });
    if (dialog.exec() != QDialog::Accepted) return {};
    const auto* edit = dialog.findChild<QLineEdit*>();
    return {dialog.textValue(), edit != nullptr ? edit->cursorPosition() : -1};
}

// The JSON report or the printable page, by the file type chosen; the name offered carries the
// run's date and port, its ending following the type.
QString WindowDialogs::askSiteReportName(const QString& suggested) {
    QFileDialog dialog(&parent_, QStringLiteral("Save Site Report"), QDir::currentPath());
    dialog.setObjectName(QStringLiteral("sdSiteReport"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({kJsonFilter, kTextFilter, QStringLiteral("All files (*)")});
    dialog.setDefaultSuffix(QStringLiteral("json"));
    dialog.selectFile(suggested);
    const QString base = QFileInfo(suggested).completeBaseName();
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, base](const QString& filter) {
                         const QString suffix =
                             filter == kTextFilter ? QStringLiteral("txt") : QStringLiteral("json");
                         dialog.setDefaultSuffix(suffix);
                         dialog.selectFile(base + QLatin1Char('.') + suffix);
                     });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}
