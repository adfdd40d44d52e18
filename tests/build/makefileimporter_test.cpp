// Makefile import through the real make: which words are taken, where make runs, and every way
// the import is refused with the alert.
#include "build/makefileimporter.h"
#include "project/prompts.h"
#include "support/testutil.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace corvane;

TEST(MakefileImporter, WordsOfTheDryRun)
{
    const struct {
        const char *name;
        const char *output;
        QStringList want;
    } kCases[] = {
        {"compile and link",
         "gfortran -c -O2 mod.f90\ngfortran -c -O2 main.f90\ngfortran -o prog mod.o main.o\n",
         {"/p/mod.f90", "/p/main.f90"}},
        {"short and empty lines skipped", "x\n\nf\n", {}},
        {"any case, repeats kept, options as printed",
         "ifort -c A.F90 sub/b.for -I.finc a.F90 A.F90\n",
         {"/p/A.F90", "/p/sub/b.for", "-I.finc", "/p/a.F90", "/p/A.F90"}},
        {"absolute names stay", "gfortran -c /src/x.f\n", {"/src/x.f"}},
        {"nothing to do", "", {}},
    };
    for (const auto &c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MakefileImporter::fileNamesFromDryRun(c.output, "/p"), c.want);
    }
}

TEST(MakefileImporter, RunsMakeInTheMakefilesFolder)
{
    QTemporaryDir dir;
    // The last collected name is a real source: it must not be dropped (we had this fault).
    test::writeFile(dir.filePath("proj/Makefile"),
                    "prog: mod.o main.o\n\tgfortran -o prog mod.o main.o\n"
                    "%.o: src/%.f90\n\tgfortran -c -O2 src/$*.f90\n");
    test::writeFile(dir.filePath("proj/src/mod.f90"), "module m\nend module\n");
    test::writeFile(dir.filePath("proj/src/main.f90"), "program p\nend\n");
    RecordingPrompts prompts;
    const auto files = MakefileImporter(dir.filePath("proj/Makefile")).files(prompts);
    ASSERT_TRUE(files.has_value()) << prompts.alerts.join("\n").toStdString();
    EXPECT_EQ(*files,
              QStringList({dir.filePath("proj/src/mod.f90"), dir.filePath("proj/src/main.f90")}));
    EXPECT_TRUE(prompts.alerts.isEmpty());
}

TEST(MakefileImporter, RefusedWithTheAlert)
{
    QTemporaryDir dir;
    // A warning on standard error cancels the import although commands were printed.
    test::writeFile(dir.filePath("warn.mk"),
                    "all:\n\tgfortran -c a.f90\nall:\n\tgfortran -c b.f90\n");
    test::writeFile(dir.filePath("broken.mk"), "all: missing_prerequisite\n");
    for (const char *name : {"warn.mk", "broken.mk", "absent.mk"}) {
        SCOPED_TRACE(name);
        RecordingPrompts prompts;
        EXPECT_FALSE(MakefileImporter(dir.filePath(name)).files(prompts).has_value());
        ASSERT_EQ(prompts.alerts.size(), 1);
        EXPECT_TRUE(prompts.alerts.first().startsWith(
            QString("The makefile: %1 cannot be read by make\n").arg(name)))
            << prompts.alerts.first().toStdString();
    }
}

TEST(MakefileImporter, MissingMakeIsReportedLikeAnUnreadableMakefile)
{
    QTemporaryDir dir;
    test::writeFile(dir.filePath("Makefile"), "all:\n\tgfortran -c a.f90\n");
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", dir.path().toLocal8Bit()); // no make here
    RecordingPrompts prompts;
    const auto files = MakefileImporter(dir.filePath("Makefile")).files(prompts);
    qputenv("PATH", oldPath);
    EXPECT_FALSE(files.has_value());
    EXPECT_EQ(prompts.alerts.size(), 1);
}
