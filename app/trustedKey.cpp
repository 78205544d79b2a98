#include "trustedKey.h"

#include "fwUpgrade.h"
#include "trust/minisign.h"
#include "trust/wholeFile.h"

#include <QDir>
#include <QFileDialog>

namespace {

constexpr std::size_t kKeyFileLimit = 4096;

QString keyProblem(const std::string& path, std::string& keyId) {
    const WholeFile file = ReadWholeFile(path, kKeyFileLimit);
    if (!file.exists) return QStringLiteral("cannot be read");
    const MinisignRead<MinisignKey> key = ParseMinisignKey(file.bytes);
    if (!key.value) return QString::fromStdString(key.error);
    keyId = KeyIdText(key.value->id);
    return {};
}

} // namespace

QString applyTrustedKey(TForm1& owner, const QString& path) {
    const std::string file = path.toStdString();
    std::string keyId;
    const QString problem = keyProblem(file, keyId);
    QString line;
    if (problem.isEmpty()) {
        owner.session.setTrust({file});
        line = QStringLiteral("Trusted key %1 (key ID %2): SHA256SUMS must be signed by it.")
                   .arg(path, QString::fromStdString(keyId));
        owner.status(line.toStdString());
    } else {
        line = QStringLiteral("Trusted key %1 not taken: it %2.").arg(path, problem);
        owner.status(line.toStdString());
        owner.message(MessageKind::Error, line.toStdString());
    }
    return line;
}

void chooseTrustedKey(TForm1& owner) {
    QFileDialog dialog(&owner, QStringLiteral("Trusted Key"), QDir::currentPath(),
                       QStringLiteral("minisign public key (*.pub);;All Files (*)"));
    dialog.setObjectName(QStringLiteral("opdTrustedKey"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    applyTrustedKey(owner, dialog.selectedFiles().constFirst());
}
