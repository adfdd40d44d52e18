// Module-aware Makefiles built with the real make and gfortran: an edit that leaves a module's
// interface as it was recompiles only its own file, an interface edit recompiles every reader,
// an include file still rebuilds its readers, and parallel builds from clean never fail. Both
// schemes run: gfortran's own module files, and stamps behind a compiler that rewrites every
// module file on each compile.
#include "build/makefilegenerator.h"
#include "support/testutil.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
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

// A three-module chain (bottom <- middle <- top program); middle reads an include file in a
// procedure body.
struct Chain {
    QTemporaryDir dir;
    QString compiler;
    QString build() const { return dir.filePath("build"); }
    QString source(const QString &name) const { return dir.filePath(name); }
    QStringList paths() const
    {
        return {source("top.f90"), source("middle.f90"), source("bottom.f90"),
                source("body.inc")};
    }

    explicit Chain(const QString &compilerName) : compiler(compilerName)
    {
        writeBottom("1", "");
        writeFile(source("middle.f90"), "module middle\n  use bottom\n  implicit none\ncontains\n"
                                        "  integer function g()\n    include 'body.inc'\n"
                                        "  end function\nend module\n");
        writeFile(source("body.inc"), "    g = f() + 10\n");
        writeFile(source("top.f90"), "program top\n  use middle\n  implicit none\n"
                                     "  print '(i0)', g()\nend program\n");
        QDir().mkpath(build());
        MakefileSettings settings;
        settings.executableName = "TopRunning";
        settings.moduleAwareRebuilds = true;
        const MakefileGenerator generator(settings);
        const QStringList files = paths();
        const Result<QString> text =
            generator.makefileForFiles(files, generator.dependenciesForFiles(files),
                                       generator.filesForModuleNames(files), compiler);
        EXPECT_TRUE(text.ok());
        writeFile(build() + "/Top.mak", text.ok() ? text->toUtf8() : QByteArray());
    }
    // bottom's function returns value; extra adds declarations to its interface.
    void writeBottom(const QByteArray &value, const QByteArray &extra)
    {
        writeFile(source("bottom.f90"), "module bottom\n  implicit none\n" + extra +
                                            "contains\n  integer function f()\n    f = " +
                                            value + "\n  end function\nend module\n");
    }
    // Makes an edited file newer than every object, however coarse the clock.
    void edited(const QString &name) const
    {
        QDateTime newest;
        for (const QFileInfo &info : QDir(build()).entryInfoList({"*.o"}, QDir::Files))
            newest = std::max(newest, info.lastModified());
        if (QFileInfo(source(name)).lastModified() <= newest) {
            QFile f(source(name));
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            f.setFileTime(newest.addMSecs(10), QFileDevice::FileModificationTime);
        }
    }
    // Runs make; answers the base names of the sources it compiled, in order, and whether it
    // linked. Fails the test when make fails.
    std::pair<QStringList, bool> make(const QString &jobs = "-j2") const
    {
        const test::ProgramResult r = runProgram("make", {"-f", "Top.mak", jobs}, {}, build());
        EXPECT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
        QStringList compiled;
        bool linked = false;
        static const QRegularExpression compile(" -c .* (\\S+)\\.f90$");
        for (const QString &line : QString::fromUtf8(r.out).split('\n')) {
            const QRegularExpressionMatch m = compile.match(line);
            if (m.hasMatch())
                compiled << QFileInfo(m.captured(1)).fileName();
            else if (line.contains(" -o $@") || line.contains("-o TopRunning"))
                linked = true;
        }
        compiled.sort();
        return {compiled, linked};
    }
    QByteArray run() const { return runProgram(build() + "/TopRunning", {}).out; }
};

// A compiler that writes the module files of each compile again even when their content is the
// same, as compilers without gfortran's check do (the name holds no "gfortran", so the stamps are
// used). The source is its last argument; each file is replaced whole, as a compiler would.
QString rewritingCompiler(const QTemporaryDir &bin)
{
    const QString path = bin.filePath("rewritingfc");
    writeFile(path, "#!/bin/sh\ngfortran \"$@\" || exit $?\nfor src; do :; done\n"
                    "for m in $(sed -n 's/^ *module *\\([a-z0-9_]*\\) *$/\\1/p' \"$src\"); do\n"
                    "  cp \"$m.mod\" \"$m.mod.$$\" && mv \"$m.mod.$$\" \"$m.mod\"\ndone\nexit 0\n");
    QFile(path).setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    return path;
}

TEST(ModuleAwareBuild, EditsRecompileOnlyWhatTheirInterfacesReach)
{
    if (!haveTools())
        GTEST_SKIP() << "make or gfortran missing";
    QTemporaryDir bin;
    for (const QString &compiler : {QString("gfortran"), rewritingCompiler(bin)}) {
        SCOPED_TRACE(compiler.toStdString());
        Chain c(compiler);
        auto [compiled, linked] = c.make();
        EXPECT_EQ(compiled, QStringList({"bottom", "middle", "top"}));
        EXPECT_EQ(c.run(), QByteArray("11\n"));
        std::tie(compiled, linked) = c.make();
        EXPECT_TRUE(compiled.isEmpty() && !linked) << "nothing to do";

        struct Step {
            const char *name;
            std::function<void()> edit;
            const char *file;
            QStringList compiles;
            QByteArray output;
        };
        const Step steps[] = {
            {"inside a procedure of the bottom module", [&] { c.writeBottom("2", ""); },
             "bottom.f90", {"bottom"}, "12\n"},
            {"the bottom module's interface",
             [&] { c.writeBottom("3", "  integer, public :: added = 5\n"); }, "bottom.f90",
             {"bottom", "middle", "top"}, "13\n"},
            {"the include file read in a procedure of middle",
             [&] { writeFile(c.source("body.inc"), "    g = f() + 20\n"); }, "body.inc",
             {"middle"}, "23\n"},
        };
        const bool stamps =
            MakefileGenerator::moduleFileSchemeFor(compiler) == ModuleFileScheme::Stamp;
        const QString bottomMod = c.build() + "/bottom.mod";
        for (const Step &s : steps) {
            SCOPED_TRACE(s.name);
            s.edit();
            c.edited(s.file);
            const QDateTime modBefore = QFileInfo(bottomMod).lastModified();
            const QDateTime stampBefore = QFileInfo(bottomMod + ".stamp").lastModified();
            std::tie(compiled, linked) = c.make();
            if (s.compiles == QStringList{"bottom"}) {
                // The stand-in rewrote the unchanged module file; its stamp stayed.
                EXPECT_EQ(QFileInfo(bottomMod).lastModified() != modBefore, stamps);
                EXPECT_EQ(QFileInfo(bottomMod + ".stamp").exists(), stamps);
                EXPECT_EQ(QFileInfo(bottomMod + ".stamp").lastModified(), stampBefore);
            }
            EXPECT_EQ(compiled, s.compiles);
            EXPECT_TRUE(linked);
            EXPECT_EQ(c.run(), s.output);
            std::tie(compiled, linked) = c.make("-j1");
            EXPECT_TRUE(compiled.isEmpty() && !linked) << "then nothing to do";
        }
    }
}

TEST(ModuleAwareBuild, ParallelBuildsFromCleanNeverRace)
{
    if (!haveTools())
        GTEST_SKIP() << "make or gfortran missing";
    // A wide graph: eight modules read the bottom one and the program reads them all, so a
    // reader compiled before its module file is written fails the build.
    QTemporaryDir dir;
    QStringList paths;
    writeFile(dir.filePath("base.f90"), "module base\n  integer, parameter :: k = 3\nend module\n");
    paths << dir.filePath("base.f90");
    QByteArray uses, sum = "0";
    for (int i = 0; i < 8; ++i) {
        const QByteArray n = QByteArray::number(i);
        writeFile(dir.filePath("m" + n + ".f90"), "module m" + n + "\n  use base\n  integer :: v" +
                                                      n + " = k + " + n + "\nend module\n");
        paths << dir.filePath("m" + n + ".f90");
        uses += "  use m" + n + "\n";
        sum += " + v" + n;
    }
    writeFile(dir.filePath("main.f90"),
              "program main\n" + uses + "  print '(i0)', " + sum + "\nend program\n");
    paths.prepend(dir.filePath("main.f90"));
    QTemporaryDir bin;
    for (const QString &compiler : {QString("gfortran"), rewritingCompiler(bin)}) {
        SCOPED_TRACE(compiler.toStdString());
        MakefileSettings settings;
        settings.executableName = "MainRunning";
        settings.moduleAwareRebuilds = true;
        const MakefileGenerator generator(settings);
        const QString text = *generator.makefileForFiles(
            paths, generator.dependenciesForFiles(paths), generator.filesForModuleNames(paths),
            compiler);
        for (int round = 0; round < 20; ++round) {
            SCOPED_TRACE(round);
            QTemporaryDir build;
            writeFile(build.filePath("Main.mak"), text.toUtf8());
            const test::ProgramResult made =
                runProgram("make", {"-j", "-f", "Main.mak"}, {}, build.path(), 300000);
            ASSERT_EQ(made.exitCode, 0) << made.out.toStdString() << made.err.toStdString();
            ASSERT_EQ(runProgram(build.filePath("MainRunning"), {}).out, QByteArray("52\n"));
        }
    }
}

} // namespace
} // namespace corvane
