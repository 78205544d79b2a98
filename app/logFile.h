#pragma once
// Saving a report log to a text file and loading one back, a log line per file line.

#include <QString>
#include <QStringList>

#include <optional>

// False with error set to the platform's message for the file; an existing file is left as
// it was when the new content cannot be written whole.
bool saveLogLines(const QString& path, const QStringList& lines, QString& error);

// The lines of the file (line ends "\n" or "\r\n"), or nothing with error set.
std::optional<QStringList> loadLogLines(const QString& path, QString& error);
