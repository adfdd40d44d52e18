// `corvane run` end to end: a saved project whose executable is built here with gfortran, run in
// a child corvane with arguments, piped input, an input file, a crash and a missing program.
#include "project/mydocument.h"
#include "support/testutil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace
{

struct RunProject {
    QTemporaryDir dir;
    QString projectPath;
    bool debug = true;

    RunProject()
    {
        MyDocument doc;
        projectPath = dir.filePath("Demo.corvane");
        doc.setFileName(projectPath);
        doc.setInputOption(2);
        debug = doc.isDebugBuild();
        const auto written = doc.write(projectPath);
        EXPECT_TRUE(written.ok()) << written.error().toStdString();
        const QString exe = dir.filePath(doc.executableName());
        const auto built = runProgram(
            "gfortran",
            {"-o", exe, QStringLiteral(CORVANE_SOURCE_DIR "/tests/build/data/runner_faketool.f90")},
            {}, dir.path(), 120000);
        EXPECT_EQ(built.exitCode, 0) << built.err.toStdString();
    }
};

} // namespace

TEST(RunCommand, RunsTheBuiltProgramInTheTerminal)
{
    RunProject p;
    writeFile(p.dir.filePath("in.txt"), "from file\nend");
    struct Case {
        const char *name;
        QStringList args;
        QByteArray stdinText;
        int exitCode;
        QString out;    // standard output starts with this
        QString errHas; // standard error contains this
    };
    const Case cases[] = {
        {"exit code 3",
         {"--args", "exit 3"},
         {},
         3,
         "leaving\nCorvane: Execution completed.\nCorvane: Elapsed time ",
         "Corvane: Error: Execution exited with code 3 \n"},
        {"typed input through a pipe",
         {"--args", "echo"},
         "one\ntwo\n",
         0,
         "got: [one]\ngot: [two]\necho done\nCorvane: Execution completed.\n",
         ""},
        {"input file without a final line end",
         {"--args", "echo", "--input", "in.txt"},
         "ignored\n",
         0,
         "got: [from file]\necho done\n",
         ""},
        {"errors in their own stream",
         {"--args", "interleave"},
         {},
         0,
         "out one\nout two\n",
         "err one\n"},
        {"crash",
         {"--args", "segv"},
         {},
         128 + 11,
         "about to crash\n",
         "Corvane: Error: Execution terminated by signal 11 (SIGSEGV) \n"},
        {"program not built",
         {p.debug ? "--release" : "--debug"},
         {},
         1,
         "",
         "Corvane: Build again, then run.\n"},
        {"bad option", {"-np", "zero"}, {}, 2, "", "-np needs a number from 1 to 4096"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto r = runProgram(corvaneExecutable(), QStringList{"run", p.projectPath} + c.args,
                                  c.stdinText, p.dir.path(), 60000);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        // (a null output never "starts with" an empty text)
        EXPECT_TRUE(c.out.isEmpty() || QString::fromUtf8(r.out).startsWith(c.out))
            << r.out.toStdString();
        EXPECT_TRUE(QString::fromUtf8(r.err).contains(c.errHas)) << r.err.toStdString();
        // Not a terminal: no colour codes.
        EXPECT_FALSE(r.out.contains('\x1b'));
        EXPECT_FALSE(r.err.contains('\x1b'));
    }
}

TEST(RunCommand, MissingProjectIsAnError)
{
    const auto r = runProgram(corvaneExecutable(), {"run", "/nonexistent/None.corvane"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("None.corvane")) << r.err.toStdString();
}
