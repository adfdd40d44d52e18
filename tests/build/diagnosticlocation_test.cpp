// Console lines that name a source location, as compilers print them, and the paths they name.
#include "build/buildfiles.h"
#include "support/testutil.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace corvane;
using buildfiles::DiagnosticLocation;

TEST(DiagnosticLocation, ReadsTheLocationAtTheStartOfACompilerLine)
{
    const struct {
        const char *name;
        const char *line;
        std::optional<DiagnosticLocation> want;
    } cases[] = {
        {"gfortran 12, caret layout", "demo.f90:5:7:", DiagnosticLocation{"demo.f90", 5, 7}},
        {"gfortran 12, plain layout", "demo.f90:5:7: Error: Symbol 'x' has no IMPLICIT type",
         DiagnosticLocation{"demo.f90", 5, 7}},
        {"gfortran, column range", "../src/solver.f90:12:10-14:",
         DiagnosticLocation{"../src/solver.f90", 12, 10}},
        {"an absolute path, line only", "/home/u/p/main.f90:30: warning: x",
         DiagnosticLocation{"/home/u/p/main.f90", 30, 0}},
        {"the runner's leading blank", " demo.f90:5:7:", DiagnosticLocation{"demo.f90", 5, 7}},
        {"make's message", "make: *** [Makefile:12: demo.o] Error 1", std::nullopt},
        {"our own message", "Corvane: Compilation failed.", std::nullopt},
        {"the loader", "/usr/bin/ld: main.o: in function `MAIN__':", std::nullopt},
        {"the loader's object position", "main.f90:(.text+0x1a): undefined reference",
         std::nullopt},
        {"a caret line", "    5 |   total = n + 1", std::nullopt},
        {"a time of day", "12:30:05 started", std::nullopt},
        {"line 0 is no line", "demo.f90:0:1: Error", std::nullopt},
        {"digits running on", "demo.f90:5:7x", std::nullopt},
        {"empty", "", std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto got = buildfiles::diagnosticLocation(QString::fromUtf8(c.line));
        ASSERT_EQ(got.has_value(), c.want.has_value());
        if (got) {
            EXPECT_EQ(got->path, c.want->path);
            EXPECT_EQ(got->line, c.want->line);
            EXPECT_EQ(got->column, c.want->column);
        }
    }
}

TEST(DiagnosticLocation, RelativePathsResolveInTheBuildFolderThenTheSourceFolders)
{
    QTemporaryDir dir;
    const QDir root(dir.path());
    root.mkpath("Build_Testing");
    root.mkpath("src");
    test::writeFile(root.filePath("src/a.f90"), "end\n");
    test::writeFile(root.filePath("Build_Testing/gen.f90"), "end\n");
    const QString build = root.filePath("Build_Testing");
    const QStringList folders{root.path(), root.filePath("src")};
    EXPECT_EQ(buildfiles::resolveDiagnosticPath("../src/a.f90", build, folders),
              root.filePath("src/a.f90"));
    EXPECT_EQ(buildfiles::resolveDiagnosticPath("a.f90", build, folders), root.filePath("src/a.f90"));
    EXPECT_EQ(buildfiles::resolveDiagnosticPath("gen.f90", build, folders),
              root.filePath("Build_Testing/gen.f90"));
    EXPECT_EQ(buildfiles::resolveDiagnosticPath("none.f90", build, folders), "none.f90");
    EXPECT_EQ(buildfiles::resolveDiagnosticPath("/x/y.f90", build, folders), "/x/y.f90");
}
