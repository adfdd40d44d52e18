// Progress of index PROJECT, build and find: drawn on standard error when it is a terminal (a
// pseudo-terminal made by script(1)), absent when piped and with --quiet, and what the command
// prints is the same either way.
#include "support/testutil.h"

#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace corvane::test;

namespace
{

bool haveScript()
{
    return !QStandardPaths::findExecutable("script").isEmpty();
}

QString shellQuoted(const QString &s)
{
    return "'" + QString(s).replace("'", "'\\''") + "'";
}

// What a terminal receives from corvane args (stdout and stderr together).
QString onTerminal(const QStringList &args, const QString &workingDir)
{
    QString command = shellQuoted(corvaneExecutable());
    for (const QString &a : args)
        command += ' ' + shellQuoted(a);
    const ProgramResult r =
        runProgram("script", {"-qec", command, "/dev/null"}, {}, workingDir, 180000);
    return QString::fromUtf8(r.out).replace("\r\n", "\n");
}

// The terminal's text with the progress line's drawing taken out.
QString withoutProgress(QString text)
{
    static const QRegularExpression drawn("\r[^\r\n]*\x1b\\[K");
    return text.remove(drawn);
}

} // namespace

TEST(Progress, IndexAndFindOnATerminalOnly)
{
    if (!haveScript())
        GTEST_SKIP() << "script(1) missing";
    QTemporaryDir dir;
    for (int i = 0; i < 1200; ++i)
        writeFile(dir.filePath(QString("src/m%1.f90").arg(i)),
                  QString("module m%1\n  integer :: v%1\nend module\n").arg(i).toUtf8());
    const QString project = dir.filePath("Big.corvane");
    ASSERT_EQ(runProgram(corvaneExecutable(), {"new", project, dir.filePath("src")}).exitCode, 0);

    const struct Case {
        const char *name;
        QStringList args;
        QString progress; // a pattern of the progress line
    } cases[] = {
        {"index", {"index", project}, "indexed [0-9,]+ of 1,200 files"},
        {"find", {"find", project, "v1199"}, "searched [0-9,]+ of 1,200 files"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QRegularExpression progress(c.progress);
        const ProgramResult piped = runProgram(corvaneExecutable(), c.args, {}, dir.path());
        EXPECT_EQ(piped.exitCode, 0) << piped.err.toStdString();
        EXPECT_FALSE(QString::fromUtf8(piped.err).contains(progress)) << piped.err.toStdString();

        const QString terminal = onTerminal(c.args, dir.path());
        EXPECT_TRUE(terminal.contains(progress)) << terminal.toStdString();
        EXPECT_EQ(withoutProgress(terminal), QString::fromUtf8(piped.out));

        const QString quiet = onTerminal(QStringList(c.args) << "--quiet", dir.path());
        EXPECT_FALSE(quiet.contains(progress)) << quiet.toStdString();
        const QString globalQuiet = onTerminal(QStringList{"--quiet"} + c.args, dir.path());
        EXPECT_FALSE(globalQuiet.contains(progress)) << globalQuiet.toStdString();
        EXPECT_EQ(globalQuiet, QString::fromUtf8(piped.out));
    }
}

// The build names the compile make runs and counts against the compiles make's dry run
// foresees: all three sources first, then only the one that changed.
TEST(Progress, BuildCountsTheCompilesMakeRuns)
{
    if (!haveScript() || QStandardPaths::findExecutable("gfortran").isEmpty() ||
        QStandardPaths::findExecutable("make").isEmpty())
        GTEST_SKIP() << "script, gfortran or make missing";
    QTemporaryDir dir;
    writeFile(dir.filePath("geo.f90"), "module geo\n  real :: r = 1.0\nend module\n");
    writeFile(dir.filePath("util.f90"), "subroutine hello()\n  print *, 'hi'\nend subroutine\n");
    writeFile(dir.filePath("main.f90"),
              "program p\n  use geo\n  call hello()\n  print *, r\nend\n");
    const QString project = dir.filePath("Demo.corvane");
    ASSERT_EQ(runProgram(corvaneExecutable(), {"new", project, dir.filePath("geo.f90"),
                                               dir.filePath("util.f90"), dir.filePath("main.f90")})
                  .exitCode,
              0);

    const QString first = onTerminal({"build", project}, dir.path());
    EXPECT_TRUE(
        first.contains(QRegularExpression("compiling (geo|util|main)\\.f90 \\([123] of 3\\)")))
        << first.toStdString();
    EXPECT_TRUE(first.contains(QRegularExpression("\rlinking\x1b\\[K"))) << first.toStdString();
    EXPECT_TRUE(first.contains("Compilation successful")) << first.toStdString();

    writeFile(dir.filePath("util.f90"), "subroutine hello()\n  print *, 'hello'\nend subroutine\n");
    const QString second = onTerminal({"build", project}, dir.path());
    EXPECT_TRUE(second.contains("compiling util.f90 (1 of 1)")) << second.toStdString();

    writeFile(dir.filePath("util.f90"), "subroutine hello()\n  print *, 'hi'\nend subroutine\n");
    const ProgramResult piped = runProgram(corvaneExecutable(), {"build", project}, {}, dir.path());
    EXPECT_EQ(piped.exitCode, 0) << piped.err.toStdString();
    EXPECT_FALSE(piped.err.contains("compiling")) << piped.err.toStdString();
}
