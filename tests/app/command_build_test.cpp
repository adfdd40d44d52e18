// corvane build, clean and the build-first rule of corvane run, through the real executable with
// make and gfortran.
#include "project/mydocument.h"
#include "support/testutil.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace
{

using test::haveTools;

// A saved project "Demo" of the given sources in a temporary folder.
struct CliProject {
    QTemporaryDir dir;
    QString project;

    explicit CliProject(const QByteArray &mainSource)
    {
        const std::pair<QString, QByteArray> sources[] = {{"main.f90", mainSource}};
        MyDocument doc;
        project = dir.filePath("Demo.corvane");
        doc.setFileName(project);
        doc.setProjectCompilerPath(QStandardPaths::findExecutable("gfortran"));
        doc.setInputOption(2);
        QStringList paths;
        for (const auto &[name, text] : sources) {
            writeFile(dir.filePath(name), text);
            paths << dir.filePath(name);
        }
        doc.addFileNames(paths, false);
        const auto written = doc.write(project);
        EXPECT_TRUE(written.ok()) << written.error().toStdString();
    }
    ProgramResult corvane(const QStringList &args)
    {
        return runProgram(corvaneExecutable(), args, {}, dir.path(), 180000);
    }
};

} // namespace

TEST(BuildCommand, BuildsAndSummarisesDiagnostics)
{
    if (!haveTools())
        GTEST_SKIP() << "make or gfortran missing";
    struct Case {
        const char *name;
        QByteArray source;
        QStringList options;
        int exitCode;
        QString product;
        QString outHas;
    };
    const Case cases[] = {
        {"release",
         "program p\n  print *, 'hi'\nend program p\n",
         {},
         0,
         "DemoRunning",
         "Corvane: Compilation successful.\n"},
        {"debug, parallel, verbose",
         "program p\n  print *, 'hi'\nend program p\n",
         {"--debug", "-j", "--verbose"},
         0,
         "DemoTesting",
         "Corvane: Module Files:\n"},
        {"parallel with a job count",
         "program p\n  print *, 'hi'\nend program p\n",
         {"-j3"},
         0,
         "DemoRunning",
         "Corvane: Compilation successful.\n"},
        {"compile error",
         "program p\n  implicit none\n  y = 2\nend program p\n",
         {},
         1,
         "",
         "main.f90:3:"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CliProject p(c.source);
        const ProgramResult r = p.corvane(QStringList{"build", p.project} + c.options);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.out.toStdString() << r.err.toStdString();
        EXPECT_TRUE(QString::fromUtf8(r.out).contains(c.outHas)) << r.out.toStdString();
        EXPECT_TRUE(r.out.startsWith("Corvane: Scanning for dependencies...\n"));
        if (!c.product.isEmpty()) {
            EXPECT_TRUE(QFileInfo::exists(p.dir.filePath(c.product)));
        }
        if (c.exitCode != 0) {
            // The summary line an editor or terminal links: absolute path, line, column.
            EXPECT_TRUE(
                QString::fromUtf8(r.out).contains(p.dir.filePath("main.f90") + ":3:3: error: "))
                << r.out.toStdString();
            EXPECT_FALSE(QFileInfo::exists(p.dir.filePath("DemoRunning")));
        }
    }
}

TEST(BuildCommand, SecondBuildHasNothingToDoAndBadJobCountsAreRefused)
{
    if (!haveTools())
        GTEST_SKIP() << "make or gfortran missing";
    CliProject p("program p\n  print *, 'hi'\nend program p\n");
    ProgramResult r = p.corvane({"build", p.project, "-j2"});
    ASSERT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_FALSE(r.out.contains("Nothing to build"));
    r = p.corvane({"build", p.project, "-j2"});
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("Corvane: Compilation successful.\nCorvane: Nothing to build.\n"))
        << r.out.toStdString();
    for (const char *bad : {"-j0", "-jx", "-j-2"}) {
        SCOPED_TRACE(bad);
        r = p.corvane({"build", p.project, bad});
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.err.contains("job count")) << r.err.toStdString();
    }
}

TEST(BuildCommand, CleanAndRunBuildingFirst)
{
    if (!haveTools())
        GTEST_SKIP() << "make or gfortran missing";
    CliProject p("program p\n  print '(a)', 'hello from p'\nend program p\n");

    ProgramResult r = p.corvane({"run", p.project});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("Corvane: The program is missing, so it is built first.\n"))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("hello from p\n"));

    r = p.corvane({"run", p.project});
    EXPECT_FALSE(r.out.contains("built first")) << "an up-to-date program is not rebuilt";

    {
        QFile source(p.dir.filePath("main.f90"));
        ASSERT_TRUE(source.open(QIODevice::ReadWrite));
        ASSERT_TRUE(source.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                       QFileDevice::FileModificationTime));
    }
    r = p.corvane({"run", p.project});
    EXPECT_TRUE(r.out.startsWith("Corvane: The program is older than its sources, so it is built "
                                 "first.\n"))
        << r.out.toStdString();

    r = p.corvane({"clean", p.project});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(p.dir.filePath("DemoRunning")));
    EXPECT_FALSE(QFileInfo::exists(p.dir.filePath("Build_Running/main.o")));
    EXPECT_TRUE(QFileInfo::exists(p.dir.filePath("Build_Running/CompilerForObjectFiles")));

    EXPECT_EQ(p.corvane({"build"}).exitCode, 2);
    EXPECT_EQ(p.corvane({"build", p.dir.filePath("None.corvane")}).exitCode, 1);
    EXPECT_EQ(p.corvane({"clean", p.project, "--bogus"}).exitCode, 2);
}
