// Builds generated Makefiles with the real make and gfortran: hostile file and folder names,
// include files as prerequisites, and a parallel build of the example project.
#include "build/makefilegenerator.h"
#include "support/testutil.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace corvane
{
namespace
{

using test::runProgram;
using test::writeFile;

using test::haveTools;

// Scans the sources, writes BUILD/Demo.mak and runs make there; returns make's result.
test::ProgramResult generateAndMake(const QStringList &paths, const MakefileSettings &settings,
                                    const QString &buildDir, const QString &jobs = "-j2")
{
    const MakefileGenerator generator(settings);
    const DependenciesMap deps = generator.dependenciesForFiles(paths);
    const ModuleFilesMap modules = generator.filesForModuleNames(paths);
    const Result<QString> text = generator.makefileForFiles(paths, deps, modules, "gfortran");
    EXPECT_TRUE(text.ok()) << text.error().toStdString();
    QDir().mkpath(buildDir);
    writeFile(buildDir + "/Demo.mak", text.ok() ? text->toUtf8() : QByteArray());
    return runProgram("make", {"-f", "Demo.mak", jobs}, {}, buildDir, 300000);
}

QStringList filesUnder(const QString &root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next().mid(root.size());
    files.sort();
    return files;
}

TEST(MakefileBuild, HostileNamesBuildWhatTheyNameAndRunNothing)
{
    if (!haveTools())
        GTEST_SKIP() << "make or gfortran missing";
    QTemporaryDir tmp;
    const QString root = tmp.path() + "/work";
    const QStringList marks = {
        "$",
        "#",
        "%",
        "'",
        "\"",
        "`",
        "\\",
        "(",
        ")",
        "&",
        "|",
        "<",
        ">",
        "*",
        "?",
        "~",
        "=",
        "[",
        "]",
        "{",
        "}",
        "!",
        "^",
        " ",
        "\t",
        "é",
        "$(touch PWNED)",
        "`touch PWNED`",
        "&touch PWNED&",
        "|touch PWNED|",
        "$$x",
        "${HOME}",
        "a\\ b",
        "x\\#y",
        "*.f90",
    };
    QStringList paths;
    QByteArray mainUses, mainIncludes, sum = "0";
    for (int i = 0; i < marks.size(); ++i) {
        const QString mark = marks[i];
        // Module mI lives in folder "dI<mark>" as "mI<mark>x.f90" and uses the one before it,
        // so a missing prerequisite fails the parallel build.
        const QString file = QStringLiteral("%1/d%2%3/m%2%3x.f90").arg(root).arg(i).arg(mark);
        QByteArray text = "module m" + QByteArray::number(i) + "\n";
        if (i > 0)
            text += "  use m" + QByteArray::number(i - 1) + "\n";
        text += "  integer :: v" + QByteArray::number(i) + " = " + QByteArray::number(i) +
                "\nend module\n";
        writeFile(file, text);
        paths << file;
        mainUses += "  use m" + QByteArray::number(i) + "\n";
        // Include file "iI<mark>.inc" beside the main program.
        const QString inc = QStringLiteral("i%1%2.inc").arg(i).arg(mark);
        writeFile(root + "/main dir/" + inc,
                  "  integer, parameter :: j" + QByteArray::number(i) + " = 1000\n");
        const char quote = mark.contains('\'') ? '"' : '\'';
        mainIncludes +=
            "  include " + QByteArray(1, quote) + inc.toUtf8() + QByteArray(1, quote) + "\n";
        sum += " + v" + QByteArray::number(i) + " + j" + QByteArray::number(i);
        if (i % 8 == 7)
            sum += " &\n    ";
    }
    // One include file is found only through a quoted include-flag folder with a hostile name.
    const QString deepDir = root + "/inc`touch PWNED` $x#y";
    writeFile(deepDir + "/deep.inc", "  integer, parameter :: jd = 7\n");
    mainIncludes += "  include 'deep.inc'\n";
    sum += " + jd";
    const QString main = root + "/main dir/main&$(touch PWNED).f90";
    writeFile(main, "program main\n" + mainUses + "  implicit none\n" + mainIncludes +
                        "  print '(i0)', " + sum + "\nend program\n");
    paths.prepend(main);
    const QStringList before = filesUnder(root);

    MakefileSettings settings;
    settings.executableName = "Run(1)&$x`id`Running";
    settings.includeFlags = "\"" + deepDir + "\"";
    const QString buildDir = root + "/Build_Running";
    test::ProgramResult made = generateAndMake(paths, settings, buildDir);
    ASSERT_EQ(made.exitCode, 0) << made.out.toStdString() << made.err.toStdString();

    const int n = marks.size();
    const QByteArray want = QByteArray::number(n * (n - 1) / 2 + 1000 * n + 7) + "\n";
    test::ProgramResult run =
        runProgram(buildDir + "/" + settings.executableName, {}, {}, buildDir);
    EXPECT_EQ(run.out, want);

    // Nothing outside the build folder was created or removed, and no command ran.
    QStringList after = filesUnder(root);
    after.erase(std::remove_if(after.begin(), after.end(),
                               [](const QString &f) { return f.startsWith("/Build_Running"); }),
                after.end());
    EXPECT_EQ(after, before);
    EXPECT_FALSE(QFileInfo::exists(buildDir + "/PWNED"));
    EXPECT_FALSE(QFileInfo::exists(root + "/PWNED"));

    // Up to date now; an edited include file (hostile name) rebuilds the program.
    made = runProgram("make", {"-f", "Demo.mak"}, {}, buildDir);
    EXPECT_TRUE(made.out.contains("is up to date")) << made.out.toStdString();
    const QString edited = QStringLiteral("%1/main dir/i3%2.inc").arg(root, marks[3]);
    writeFile(edited, "  integer, parameter :: j3 = 2000\n");
    QFile touched(edited);
    ASSERT_TRUE(touched.open(QIODevice::ReadWrite));
    touched.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime);
    touched.close();
    made = runProgram("make", {"-f", "Demo.mak"}, {}, buildDir);
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    run = runProgram(buildDir + "/" + settings.executableName, {}, {}, buildDir);
    EXPECT_EQ(run.out, QByteArray::number(n * (n - 1) / 2 + 1000 * n + 1007) + "\n");
}

// (we had this bug) "-lead.f90" compiled, but the link read "-lead.o" as the option -l ead.o.
TEST(MakefileBuild, SourcesNamedLikeOptionsLinkAndArchive)
{
    if (!haveTools())
        GTEST_SKIP() << "make or gfortran missing";
    QTemporaryDir tmp;
    const QString lead = tmp.filePath("-lead.f90");
    writeFile(lead, "module lead\n  integer :: answer = 42\nend module\n");
    const QString main = tmp.filePath("main.f90");
    writeFile(main, "program main\n  use lead\n  print '(i0)', answer\nend program\n");

    MakefileSettings settings;
    settings.executableName = "DemoRunning";
    test::ProgramResult made = generateAndMake({main, lead}, settings, tmp.filePath("exe"));
    ASSERT_EQ(made.exitCode, 0) << made.out.toStdString() << made.err.toStdString();
    EXPECT_EQ(runProgram(tmp.filePath("exe/DemoRunning"), {}).out, QByteArray("42\n"));

    settings.compileForLibrary = true;
    settings.libraryName = "libDemoRunning.a";
    made = generateAndMake({lead}, settings, tmp.filePath("lib"));
    ASSERT_EQ(made.exitCode, 0) << made.out.toStdString() << made.err.toStdString();
    EXPECT_EQ(runProgram("ar", {"t", tmp.filePath("lib/libDemoRunning.a")}).out,
              QByteArray("-lead.o\n"));
}

TEST(MakefileBuild, ExampleProjectParallelFromClean)
{
    if (!haveTools())
        GTEST_SKIP() << "make or gfortran missing";
    const QString example = QStringLiteral(CORVANE_SOURCE_DIR) + "/examples/heat";
    QStringList paths;
    for (const QFileInfo &info : QDir(example).entryInfoList({"*.f90"}, QDir::Files, QDir::Name))
        paths << info.absoluteFilePath();
    ASSERT_GE(paths.size(), 2);
    MakefileSettings settings;
    settings.compilerFlags = "-O0";
    settings.executableName = "HeatRunning";
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        QTemporaryDir build;
        const test::ProgramResult made = generateAndMake(paths, settings, build.path(), "-j");
        ASSERT_EQ(made.exitCode, 0) << made.out.toStdString() << made.err.toStdString();
        ASSERT_TRUE(QFileInfo(build.path() + "/HeatRunning").isExecutable());
    }
}

} // namespace
} // namespace corvane
