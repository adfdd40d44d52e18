// Reading a source file's text as the editor shows it, for loading and for searching.
#pragma once

#include <QByteArray>
#include <QString>

class QFile;

#include <optional>

namespace corvane
{

// A source file's bytes as text: UTF-8 when they are valid UTF-8, else Latin-1 (every byte a
// character), so that a file in a legacy 8-bit encoding still opens.
QString decodeSource(const QByteArray &bytes);

// Reads the rest of an open file and decodes it as decodeSource does, in pieces, so that the
// bytes are never held whole beside the text; none when a read fails (file.errorString() says
// why).
std::optional<QString> readDecodedSource(QFile &file);

// text with "\r\n" and lone '\r' line endings made '\n', as the index and the editor read it.
QString normaliseLineEndings(QString text);

// Opens path for reading when it is a regular file; else false, with error set to a message
// naming the file ("The file \"a.f90\" couldn't be opened: No such file or directory").
bool openSource(QFile &file, const QString &path, QString *error);
// The message for a read of an open file that failed, naming the file.
QString sourceReadError(const QFile &file);

// Reads and decodes a source file; none, with error set to a message naming the file, when it
// cannot be opened or read.
std::optional<QString> readSource(const QString &path, QString *error);

} // namespace corvane
