// Small helpers shared by the tests: temporary project folders, file writing, running programs.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <ostream>

namespace corvane::test {

// Writes text (UTF-8) to path, creating folders; fails the current test loudly on error.
void writeFile(const QString &path, const QByteArray &contents);
QByteArray readFile(const QString &path);
// Copies every file below from (hidden ones too) to the same place below to, creating folders;
// fails the current test loudly on error. Returns the number of files copied.
int copyFolder(const QString &from, const QString &to);

struct ProgramResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};
// Runs a program (no shell) and waits up to timeoutMs.
ProgramResult runProgram(const QString &program, const QStringList &args,
                         const QByteArray &input = {}, const QString &workingDir = {},
                         int timeoutMs = 60000);
// The corvane executable of this build tree.
QString corvaneExecutable();

// The process is gone, or is a zombie that nobody has reaped yet.
bool processEnded(qint64 pid);

// make and gfortran are on the search path (tests that build for real skip without them).
bool haveTools();

} // namespace corvane::test

// Readable failure messages for Qt strings (found by GoogleTest through argument lookup).
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QByteArray &b, std::ostream *os)
{
    *os << '"' << b.toStdString() << '"';
}
inline void PrintTo(const QStringList &l, std::ostream *os)
{
    *os << "{";
    for (qsizetype i = 0; i < l.size(); ++i)
        *os << (i ? ", " : "") << '"' << l[i].toStdString() << '"';
    *os << "}";
}
