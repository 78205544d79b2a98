#include "trustedKey.h"

#include "busController.h"
#include "trust/folderTrust.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QSettings>
#include <QStatusBar>

namespace {

const QString kSettingsOrganization = QStringLiteral("Nexalo");
const QString kSettingsApplication = QStringLiteral("Firmware Upgrade");
const QString kTrustedKeySetting = QStringLiteral("trust/trustedKeyFile");

// What is wrong with the key in path, or empty with its ID in keyId.
QString keyProblem(const std::string& path, std::string& keyId) {
    const MinisignRead<MinisignKey> key = ReadTrustedKey(path);
    if (!key.value) return QString::fromStdString(key.error);
    keyId = KeyIdText(key.value->id);
    return {};
}

QAction* clearItem(const QMainWindow& window) {
    return window.findChild<QAction*>(QStringLiteral("ClearTrustedKey1"));
}

QLabel* keyLine(const QMainWindow& window) {
    return window.findChild<QLabel*>(QStringLiteral("lblTrustedKey"));
}

void keep(const QString& path) {
    QSettings settings(kSettingsOrganization, kSettingsApplication);
    if (path.isEmpty())
        settings.remove(kTrustedKeySetting);
    else
        settings.setValue(kTrustedKeySetting, path);
}

// The status bar's word, read from the session: shown while a key is set, the bar hidden (as
// the window has always been) while none is.
void showTrustedKey(QMainWindow& window, BusController& bus) {
    const QString path = QString::fromStdString(bus.trustedKeyFile());
    clearItem(window)->setEnabled(!path.isEmpty());
    window.statusBar()->setVisible(!path.isEmpty());
    if (path.isEmpty()) {
        keyLine(window)->clear();
        return;
    }
    std::string keyId;
    const QString problem = keyProblem(path.toStdString(), keyId);
    keyLine(window)->setText(
        problem.isEmpty()
            ? QStringLiteral("Signed firmware only: SHA256SUMS must be signed by key %1.")
                  .arg(QString::fromStdString(keyId))
            : QStringLiteral("Signed firmware only: the trusted key %1 %2, so no file is sent.")
                  .arg(path, problem));
    keyLine(window)->setToolTip(path);
}

void trust(QMainWindow& window, BusController& bus, const QString& path) {
    // Kept whole, so that a run in another working folder finds the same key.
    const QString whole = path.isEmpty() ? path : QFileInfo(path).absoluteFilePath();
    bus.setTrustedKeyFile(whole.toStdString());
    showTrustedKey(window, bus);
}

} // namespace

QString applyTrustedKey(QMainWindow& window, BusController& bus, const QString& path) {
    std::string keyId;
    const QString problem = keyProblem(path.toStdString(), keyId);
    QString line;
    if (problem.isEmpty()) {
        trust(window, bus, path);
        keep(path);
        line = QStringLiteral("Trusted key %1 (key ID %2): SHA256SUMS must be signed by it.")
                   .arg(path, QString::fromStdString(keyId));
        bus.status(line.toStdString());
    } else {
        line = QStringLiteral("Trusted key %1 not taken: it %2.").arg(path, problem);
        bus.status(line.toStdString());
        bus.message(MessageKind::Error, line.toStdString());
    }
    return line;
}

void clearTrustedKey(QMainWindow& window, BusController& bus) {
    trust(window, bus, {});
    keep({});
    bus.status("Trusted key cleared: firmware files are no longer held to a signature.");
}

void restoreTrustedKey(QMainWindow& window, BusController& bus) {
    const QSettings settings(kSettingsOrganization, kSettingsApplication);
    trust(window, bus, settings.value(kTrustedKeySetting).toString());
}

void chooseTrustedKey(QMainWindow& window, BusController& bus) {
    QFileDialog dialog(&window, QStringLiteral("Trusted Key"), QDir::currentPath(),
                       QStringLiteral("minisign public key (*.pub);;All Files (*)"));
    dialog.setObjectName(QStringLiteral("opdTrustedKey"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    applyTrustedKey(window, bus, dialog.selectedFiles().constFirst());
}
