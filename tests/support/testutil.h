// Small helpers shared by the tests: temporary project folders, file writing, running programs.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace corvane::test {

// Writes text (UTF-8) to path, creating folders; fails the current test loudly on error.
void writeFile(const QString &path, const QByteArray &contents);
QByteArray readFile(const QString &path);

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

} // namespace corvane::test
