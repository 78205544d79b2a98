#include "logFile.h"

#include <QFile>
#include <QSaveFile>

namespace {

QString fileError(const char* what, const QString& path, const QString& reason) {
    return QStringLiteral("%1 \"%2\". %3").arg(QLatin1String(what), path, reason);
}

} // namespace

bool saveLogLines(const QString& path, const QStringList& lines, QString& error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = fileError("Cannot create file", path, file.errorString());
        return false;
    }
    QByteArray content;
    for (const QString& line : lines) {
        content += line.toUtf8();
        content += '\n';
    }
    if (file.write(content) != content.size() || !file.commit()) {
        error = fileError("Cannot write file", path, file.errorString());
        return false;
    }
    return true;
}

std::optional<QStringList> loadLogLines(const QString& path, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = fileError("Cannot open file", path, file.errorString());
        return std::nullopt;
    }
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = fileError("Cannot read file", path, file.errorString());
        return std::nullopt;
    }
    QStringList lines = QString::fromUtf8(content).split(QLatin1Char('\n'));
    if (content.isEmpty() || content.endsWith('\n')) lines.removeLast();
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    return lines;
}
