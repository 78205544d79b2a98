#include "trustedKey.h"

#include "fwUpgrade.h"
#include "trust/folderTrust.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
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

void keep(const QString& path) {
    QSettings settings(kSettingsOrganization, kSettingsApplication);
    if (path.isEmpty())
        settings.remove(kTrustedKeySetting);
    else
        settings.setValue(kTrustedKeySetting, path);
}

// The status bar's word, read from the session: shown while a key is set, the bar hidden (as
// the window has always been) while none is.
void showTrustedKey(TForm1& owner) {
    const QString path = QString::fromStdString(owner.bus().trustedKeyFile());
    owner.ClearTrustedKey1->setEnabled(!path.isEmpty());
    owner.statusBar()->setVisible(!path.isEmpty());
    if (path.isEmpty()) {
        owner.lblTrustedKey->clear();
        return;
    }
    std::string keyId;
    const QString problem = keyProblem(path.toStdString(), keyId);
    owner.lblTrustedKey->setText(
        problem.isEmpty()
            ? QStringLiteral("Signed firmware only: SHA256SUMS must be signed by key %1.")
                  .arg(QString::fromStdString(keyId))
            : QStringLiteral("Signed firmware only: the trusted key %1 %2, so no file is sent.")
                  .arg(path, problem));
    owner.lblTrustedKey->setToolTip(path);
}

void trust(TForm1& owner, const QString& path) {
    // Kept whole, so that a run in another working folder finds the same key.
    const QString whole = path.isEmpty() ? path : QFileInfo(path).absoluteFilePath();
    owner.bus().setTrustedKeyFile(whole.toStdString());
    showTrustedKey(owner);
}

} // namespace

QString applyTrustedKey(TForm1& owner, const QString& path) {
    std::string keyId;
    const QString problem = keyProblem(path.toStdString(), keyId);
    QString line;
    if (problem.isEmpty()) {
        trust(owner, path);
        keep(path);
        line = QStringLiteral("Trusted key %1 (key ID %2): SHA256SUMS must be signed by it.")
                   .arg(path, QString::fromStdString(keyId));
        owner.bus().status(line.toStdString());
    } else {
        line = QStringLiteral("Trusted key %1 not taken: it %2.").arg(path, problem);
        owner.bus().status(line.toStdString());
        owner.bus().message(MessageKind::Error, line.toStdString());
    }
    return line;
}

void clearTrustedKey(TForm1& owner) {
    trust(owner, {});
    keep({});
    owner.bus().status("Trusted key cleared: firmware files are no longer held to a signature.");
}

void restoreTrustedKey(TForm1& owner) {
    const QSettings settings(kSettingsOrganization, kSettingsApplication);
    trust(owner, settings.value(kTrustedKeySetting).toString());
}

void chooseTrustedKey(TForm1& owner) {
    QFileDialog dialog(&owner, QStringLiteral("Trusted Key"), QDir::currentPath(),
                       QStringLiteral("minisign public key (*.pub);;All Files (*)"));
    dialog.setObjectName(QStringLiteral("opdTrustedKey"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    applyTrustedKey(owner, dialog.selectedFiles().constFirst());
}
