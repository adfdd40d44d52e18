#include "faketool.h"

#include "support/testutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace corvane::test
{

QString buildFortran(const QString &compiler, const QString &source, const QString &dir,
                     const QString &name)
{
    const QString out = QDir(dir).filePath(name);
    const ProgramResult r = runProgram(compiler, {"-O0", "-o", out, source}, {}, dir, 120000);
    if (r.exitCode != 0 || !QFileInfo::exists(out)) {
        ADD_FAILURE() << compiler.toStdString() << " failed: " << r.err.toStdString();
        return {};
    }
    return out;
}

QString fakeTool()
{
    static QTemporaryDir dir;
    static QString path;
    if (path.isEmpty())
        path = buildFortran("gfortran", QStringLiteral(CORVANE_TEST_DATA "/runner_faketool.f90"),
                            dir.path(), "faketool");
    EXPECT_FALSE(path.isEmpty());
    return path;
}

void RecordingConsole::append(const QString &text, Role role)
{
    totalAppended += text.size();
    largestAppend = std::max(largestAppend, text.size());
    if (!segments.isEmpty() && segments.last().role == role)
        segments.last().text += text;
    else
        segments.append({text, role});
    qsizetype size = 0;
    for (const Segment &s : segments)
        size += s.text.size();
    largestContent = std::max(largestContent, size);
}

void RecordingConsole::clear()
{
    segments.clear();
    ++clears;
}

QString RecordingConsole::text() const
{
    QString all;
    for (const Segment &s : segments)
        all += s.text;
    return all;
}

QString RecordingConsole::text(Role role) const
{
    QString all;
    for (const Segment &s : segments)
        if (s.role == role)
            all += s.text;
    return all;
}

} // namespace corvane::test
