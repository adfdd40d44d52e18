// Reading a source file for a command that works on files without a project.
#pragma once

#include <QString>

#include <optional>

class QFile;

namespace corvane::app
{

// The text of a source file: UTF-8, or Latin-1 when the bytes are not valid UTF-8. On failure
// "corvane COMMAND: cannot read PATH: reason" goes to stderr and the result is none.
std::optional<QString> readSourceText(const QString &path, const char *command);

// Opens path for reading; on failure the same message goes to stderr and the result is false.
bool openSourceFile(QFile &file, const QString &path, const char *command);
// The message for a read of file, opened by openSourceFile, that failed.
void reportUnreadable(const QFile &file, const char *command);

} // namespace corvane::app
