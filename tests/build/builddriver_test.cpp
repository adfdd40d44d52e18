// The Build, Clean and Abort commands with the real make and gfortran (and mpif90/mpirun) on
// temporary projects: products, diagnostics, Run availability, the compiler marker, library
// builds, lost files, scan warnings, verbose output, parallel make and aborting a running build.
#include "build/builddriver.h"
#include "build/buildfiles.h"
#include "build/interactiveconsolecontroller.h"
#include "build/rundriver.h"
#include "buildproject.h"
#include "faketool.h"
#include "project/fileoperations.h"
#include "project/mydocument.h"
#include "project/prompts.h"
#include "settings/defaults.h"
#include "support/testutil.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;
using Role = Console::Role;

namespace
{

const QString kExample = QStringLiteral(CORVANE_SOURCE_DIR "/examples/heat/");

void copyHeatExample(Project &p)
{
    for (const char *unit : {"kinds", "grid", "solver", "output", "heat"}) {
        const QString name = QString(unit) + ".f90";
        ASSERT_TRUE(QFile::copy(kExample + name, p.path(name)));
        p.doc.addFileNames({p.path(name)}, false);
    }
    ASSERT_TRUE(QFile::copy(kExample + "input.txt", p.path("input.txt")));
}

// A process whose command line mentions needle, other than this test program.
bool processMentioning(const QString &needle)
{
    QDirIterator it("/proc", QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QString dir = it.next();
        bool numeric = false;
        const qint64 pid = QFileInfo(dir).fileName().toLongLong(&numeric);
        if (!numeric || pid == QCoreApplication::applicationPid())
            continue;
        QFile cmdline(dir + "/cmdline");
        if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(needle.toUtf8()))
            return true;
    }
    return false;
}

} // namespace

TEST(BuildDriver, HeatExampleBuildsInBothConfigurationsAndRuns)
{
    if (!haveTools())
        GTEST_SKIP() << "make or gfortran missing";
    Project p("Heat");
    copyHeatExample(p);
    p.doc.setReleaseCompilerFlags("-O2");
    p.doc.setDebugCompilerFlags("-g -fcheck=all");
    for (const bool debug : {false, true}) {
        SCOPED_TRACE(debug ? "debug" : "release");
        p.doc.setIsDebugBuild(debug);
        p.driver.changeDebugRelease();
        p.console.segments.clear();
        ASSERT_TRUE(p.buildAndWait()) << p.console.text().toStdString();
        const QString exe = p.path(debug ? "HeatTesting" : "HeatRunning");
        EXPECT_TRUE(QFileInfo(exe).isExecutable());
        // The build folder keeps the product, so that the next build can find it up to date.
        EXPECT_TRUE(QFileInfo::exists(p.buildFile(p.doc.executableName())));
        EXPECT_TRUE(p.console.text(Role::Info).contains(kSuccess));
        EXPECT_TRUE(p.run.canRunExecutable());
        EXPECT_FALSE(p.run.processIsRunning());
        EXPECT_EQ(p.driver.errorsDictionary(), std::nullopt);
        EXPECT_EQ(readFile(p.buildFile("CompilerForObjectFiles")), gfortran().toUtf8());
        QStringList modules = p.driver.moduleNames();
        modules.sort();
        EXPECT_EQ(modules, QStringList({"grid", "kinds", "output", "solver"}));
        const auto r = runProgram(exe, {}, readFile(p.path("input.txt")));
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains("agrees with the analytic solution")) << r.out.toStdString();
    }
    EXPECT_TRUE(QFileInfo::exists(p.path("Build_Testing/kinds.mod")));
    EXPECT_TRUE(QFileInfo::exists(p.path("Build_Running/kinds.mod")));

    // Through the RunDriver, with the input file.
    p.doc.setInputOption(0);
    p.doc.setInputFileName(p.path("input.txt"));
    p.console.segments.clear();
    ASSERT_TRUE(p.run.run());
    ASSERT_TRUE(waitFor([&] { return !p.run.processIsRunning(); }, 60000));
    EXPECT_TRUE(p.console.text().contains("agrees with the analytic solution"))
        << p.console.text().toStdString();
}

TEST(BuildDriver, DiagnosticsDecideWhetherRunIsPossible)
{
    if (!haveTools())
        GTEST_SKIP() << "make or gfortran missing";
    struct Case {
        const char *name;
        QByteArray source;
        QString flags;
        bool productMade;
        bool canRun;
        int line; // of the first diagnostic; 0: none expected
        qint64 errorType;
        bool loader;
    };
    const Case cases[] = {
        {"compile error", "program p\n  implicit none\n  x = 1\nend program p\n", "", false, false,
         3, 2, false},
        {"warnings only", "program p\n  implicit none\n  integer :: unused\n  print *, 1\nend\n",
         "-Wall", true, true, 3, 1, false},
        {"loader error",
         "program p\n  implicit none\n  external nowhere\n  call nowhere()\nend program p\n", "",
         false, false, 0, 0, true},
        {"clean build", "program p\n  print *, 'hi'\nend program p\n", "", true, true, 0, 0, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Project p;
        p.doc.setReleaseCompilerFlags(c.flags);
        p.addSource("main.f90", c.source);
        QSignalSpy beeps(&p.driver, &BuildDriver::diagnosticsPaneRequested);
        EXPECT_EQ(p.buildAndWait(), c.productMade) << p.console.text().toStdString();
        EXPECT_EQ(QFileInfo::exists(p.path("DemoRunning")), c.productMade);
        EXPECT_EQ(p.run.canRunExecutable(), c.canRun);
        EXPECT_EQ(p.console.text().contains(kSuccess), c.productMade);
        if (c.line) {
            ASSERT_TRUE(p.driver.errorsDictionary().has_value()) << p.console.text().toStdString();
            const auto *rows = p.driver.errorsDictionary()->find(p.path("main.f90"));
            ASSERT_NE(rows, nullptr);
            EXPECT_EQ(rows->first().lineNumber, quint64(c.line));
            EXPECT_EQ(rows->first().errorType, c.errorType);
            EXPECT_EQ(p.doc.errorsDictionary(), p.driver.errorsDictionary());
            EXPECT_GE(p.prompts.beeps, 1);
        } else {
            EXPECT_EQ(p.driver.errorsDictionary(), std::nullopt);
        }
        EXPECT_EQ(!p.driver.loaderText().isEmpty(), c.loader);
        if (c.loader) {
            EXPECT_TRUE(p.driver.loaderText().contains("undefined reference"))
                << p.driver.loaderText().toStdString();
            EXPECT_GE(beeps.count(), 1);
        }
    }
}

TEST(BuildDriver, LibraryBuildPlacesArchiveAndModulesAndNeverEnablesRun)
{
    if (!haveTools())
        GTEST_SKIP() << "make or gfortran missing";
    Project p("Shapes Lib");
    p.doc.setCompileForLibrary(true);
    p.addSource("geometry.f90", "module Geometry\n  implicit none\n  real, parameter :: pi = "
                                "3.14159\ncontains\n  real function area(r)\n    real, intent(in) "
                                ":: r\n    area = pi*r*r\n  end function\nend module\n");
    p.addSource("units.f90", "module units\n  use geometry\n  real :: scale = 2\nend module\n");
    ASSERT_TRUE(p.buildAndWait()) << p.console.text().toStdString();
    const QDir lib(p.path("ShapesLibRunningLib"));
    EXPECT_TRUE(lib.exists("libShapesLibRunning.a"));
    EXPECT_TRUE(lib.exists("geometry.mod"));
    EXPECT_TRUE(lib.exists("units.mod"));
    EXPECT_TRUE(QFileInfo::exists(p.buildFile("libShapesLibRunning.a")));
    EXPECT_TRUE(
        p.console.text(Role::Info).contains(QString::fromUtf8(buildtexts::kLibrarySuccess)));
    EXPECT_FALSE(p.console.text().contains(kSuccess));
    EXPECT_FALSE(p.run.canRunExecutable());
    // A second build replaces the archive in place.
    ASSERT_TRUE(p.buildAndWait());
    EXPECT_TRUE(lib.exists("libShapesLibRunning.a"));
}

TEST(BuildDriver, ChangedCompilerOrFlagsCleanFirstButSwitchingConfigurationDoesNot)
{
    if (!haveTools())
        GTEST_SKIP() << "make or gfortran missing";
    Project p;
    p.addSource("main.f90", "program p\n  print *, 'hi'\nend program p\n");
    ASSERT_TRUE(p.buildAndWait());
    const QString planted = p.buildFile("planted.o");

    struct Step {
        const char *name;
        std::function<void()> change;
        bool cleans;
    };
    const Step steps[] = {
        {"nothing changed", [] {}, false},
        {"other compiler in the marker",
         [&] { writeFile(p.buildFile("CompilerForObjectFiles"), "/opt/other/gfortran"); }, true},
        {"marker removed", [&] { QFile::remove(p.buildFile("CompilerForObjectFiles")); }, true},
        {"flags changed", [&] { p.doc.setCompilerFlags("-O1"); }, true},
        {"debug and back",
         [&] {
             p.doc.setIsDebugBuild(true);
             p.driver.changeDebugRelease();
             p.doc.setIsDebugBuild(false);
             p.driver.changeDebugRelease();
         },
         false},
        {"flags changed, then debug and back",
         [&] {
             p.doc.setCompilerFlags("-O0");
             p.doc.setIsDebugBuild(true);
             p.driver.changeDebugRelease();
             EXPECT_FALSE(p.doc.needsFullRecompile());
             p.doc.setIsDebugBuild(false);
             p.driver.changeDebugRelease();
         },
         true},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.name);
        writeFile(planted, "x");
        s.change();
        ASSERT_TRUE(p.buildAndWait()) << p.console.text().toStdString();
        EXPECT_EQ(!QFileInfo::exists(planted), s.cleans);
        EXPECT_EQ(readFile(p.buildFile("CompilerForObjectFiles")), gfortran().toUtf8());
        EXPECT_FALSE(p.doc.needsFullRecompile());
    }
}

TEST(BuildDriver, CleanRemovesObjectsModulesAndExecutableOnly)
{
    Project p;
    p.addSource("main.f90", "program p\nend program p\n");
    // A project source that lives in the build folder is never removed.
    p.addSource("Build_Running/kept.f90", "subroutine s\nend\n");
    // The build folder's own copies of the products go too; the library folder is not touched.
    const QStringList removed = {"a.o",         "b.mod",           "gen.f90",
                                 "DemoRunning", "libDemoRunning.a", "b.mod.stamp"};
    const QStringList kept = {"c.F90", "d.O", "CompilerForObjectFiles", "Demo.mak", "kept.f90",
                              "e.smod"};
    writeFile(p.path("DemoRunningLib/libDemoRunning.a"), "placed library");
    for (const QString &name : removed + kept)
        if (!QFileInfo::exists(p.buildFile(name)))
            writeFile(p.buildFile(name), "x");
    writeFile(p.path("DemoRunning"), "exe");
    QSignalSpy trash(&p.driver, &BuildDriver::trashFullChanged);
    p.run.setCanRunExecutable(true);
    EXPECT_TRUE(p.driver.clean());
    for (const QString &name : removed)
        EXPECT_FALSE(QFileInfo::exists(p.buildFile(name))) << name.toStdString();
    for (const QString &name : kept)
        EXPECT_TRUE(QFileInfo::exists(p.buildFile(name))) << name.toStdString();
    EXPECT_FALSE(QFileInfo::exists(p.path("DemoRunning")));
    EXPECT_TRUE(QFileInfo::exists(p.path("DemoRunningLib/libDemoRunning.a")));
    ASSERT_EQ(trash.count(), 1);
    EXPECT_EQ(trash.last().at(0).toBool(), false);
    EXPECT_FALSE(p.run.canRunExecutable());

    // Window set-up: the trash shows full only with objects or module files.
    p.driver.setUpWindowState();
    EXPECT_EQ(trash.last().at(0).toBool(), false);
    writeFile(p.buildFile("x.mod"), "m");
    p.driver.setUpWindowState();
    EXPECT_EQ(trash.last().at(0).toBool(), true);
}

TEST(BuildDriver, StopsBeforeScanningWhenTheProjectCannotBeBuilt)
{
    struct Case {
        const char *name;
        std::function<void(Project &)> setUp;
        QString console; // the whole console text
        QString alert;
    };
    const Case cases[] = {
        {"never saved", [](Project &p) { p.doc.setFileName(QString()); }, "",
         "A project must be saved before building.\nPlease save this project to disk and build "
         "again."},
        {"no files", [](Project &) {}, "No Files to build\n",
         "The project has no files to build.\nPlease add files before building."},
        {"a lost source",
         [](Project &p) {
             p.addSource("here.f90", "program p\nend\n");
             p.addSource("gone.f90", "subroutine g\nend\n");
             QFile::remove(p.path("gone.f90"));
         },
         "", "One or more source files has been moved or deleted.\nSee console for details."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Project p;
        c.setUp(p);
        QSignalSpy buildEnabled(&p.run, &RunDriver::buildEnabledChanged);
        p.console.append("earlier text\n", Role::Normal);
        EXPECT_FALSE(p.driver.build());
        QString expected = "earlier text\n" + c.console;
        if (QString(c.name) == "a lost source")
            expected += "Corvane: File " + p.path("gone.f90") + " cannot be found";
        EXPECT_EQ(p.console.text(), expected);
        EXPECT_EQ(p.prompts.alerts, QStringList{c.alert});
        EXPECT_FALSE(QFileInfo::exists(p.doc.buildDirectoryPath()));
        EXPECT_FALSE(p.run.processIsRunning());
        if (QString(c.name) != "never saved") {
            ASSERT_GE(buildEnabled.count(), 1);
            EXPECT_EQ(buildEnabled.last().at(0).toBool(), false);
        }
    }
}

TEST(BuildDriver, ScanReportsMissingModulesAndVerboseListings)
{
    if (!haveTools())
        GTEST_SKIP() << "make or gfortran missing";
    Project p;
    Defaults::instance().setValue("clearConsoleOnCompile", true);
    p.addSource("self.f90",
                "module inner\n  integer :: k = 1\nend module\nprogram p\n  use inner\n  use "
                "Missing_Mod\n  use prebuilt\n  use iso_fortran_env\n  print *, k\nend program\n");
    p.addSource("other.f90", "subroutine other\n  use missing_mod\nend subroutine\n");
    QDir().mkpath(p.doc.buildDirectoryPath());
    writeFile(p.buildFile("prebuilt.mod"), "not really a module");
    p.console.append("earlier text\n", Role::Normal);
    p.driver.setVerboseOutput(true);
    EXPECT_FALSE(p.buildAndWait()); // missing_mod cannot be compiled against

    const QString info = p.console.text(Role::Info);
    EXPECT_TRUE(p.console.text().startsWith("Corvane: Scanning for dependencies...\n"));
    EXPECT_EQ(info.count("Corvane: Warning Error: The file containing module Missing_Mod was not "
                         "found.\n"),
              1);
    EXPECT_EQ(info.count("module missing_mod was not found.\n"), 1);
    EXPECT_FALSE(info.contains("prebuilt")) << info.toStdString();
    EXPECT_FALSE(info.contains("iso_fortran_env"));
    EXPECT_TRUE(info.contains("\t \t Corvane: Warning. Internal dependency on module inner in "
                              "file self.f90 \n\t \t Compilation will fail if modules are not "
                              "properly ordered \n"));
    const QString none = p.console.text(Role::None);
    EXPECT_TRUE(none.contains(p.path("self.f90") + ":\n\tinner\n\tMissing_Mod\n\tprebuilt\n"))
        << none.toStdString();
    EXPECT_TRUE(none.contains("F90 = " + gfortran())) << "the Makefile text";
    EXPECT_TRUE(p.console.text(Role::Normal)
                    .contains("\nCorvane: Module Files:\n\tmodule inner in file " +
                              p.path("self.f90") + " \n"));
    EXPECT_TRUE(info.contains("Corvane: Scan complete.\n"));

    // Quiet and without clearing: earlier text stays and no report is printed.
    Defaults::instance().setValue("clearConsoleOnCompile", false);
    p.driver.setVerboseOutput(false);
    p.console.segments.clear();
    p.console.append("kept\n", Role::Normal);
    p.buildAndWait();
    EXPECT_TRUE(p.console.text().startsWith("kept\nCorvane: Scanning for dependencies...\n"));
    EXPECT_FALSE(p.console.text().contains("Module Files"));
    Defaults::instance().remove("clearConsoleOnCompile");
}

TEST(BuildDriver, ParallelMakeGetsABoundedDashJFirst)
{
    if (!haveTools())
        GTEST_SKIP() << "make or gfortran missing";
    // A stand-in make on the user's search path records its arguments.
    QTemporaryDir bin;
    writeFile(bin.filePath("make"), "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$PWD/make-args\"\n");
    QFile(bin.filePath("make")).setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    struct Case {
        const char *name;
        std::optional<bool> setting;
        std::optional<int> jobsSetting;
        std::optional<bool> override;
        std::optional<int> jobsOverride;
        QByteArray dashJ; // empty: no -j
    };
    const QByteArray cores = "-j" + QByteArray::number(std::max(1, QThread::idealThreadCount()));
    const Case cases[] = {
        {"default", std::nullopt, std::nullopt, std::nullopt, std::nullopt, ""},
        {"setting on, cores by default", true, std::nullopt, std::nullopt, std::nullopt, cores},
        {"setting on, 3 jobs", true, 3, std::nullopt, std::nullopt, "-j3"},
        {"jobs without the switch", false, 3, std::nullopt, std::nullopt, ""},
        {"nonsense job count", true, 0, std::nullopt, std::nullopt, "-j1"},
        {"command line -j", false, 5, true, std::nullopt, "-j5"},
        {"command line -j4", false, 5, true, 4, "-j4"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Project p;
        Defaults::instance().setValue("environmentVariables", QVariantMap{{"PATH", bin.path()}});
        if (c.setting)
            Defaults::instance().setValue("parallelBuild", *c.setting);
        if (c.jobsSetting)
            Defaults::instance().setValue("parallelJobs", *c.jobsSetting);
        p.driver.setParallelBuildOverride(c.override);
        p.driver.setParallelJobsOverride(c.jobsOverride);
        p.addSource("main.f90", "program p\nend program p\n");
        p.buildAndWait();
        const QString makefile = p.buildFile("Demo.mak");
        const QByteArray expected =
            (c.dashJ.isEmpty() ? QByteArray() : c.dashJ + "\n") + "-r\n-f\n" + makefile.toUtf8() + "\n";
        EXPECT_EQ(readFile(p.buildFile("make-args")), expected);
        Defaults::instance().remove("environmentVariables");
        Defaults::instance().remove("parallelBuild");
        Defaults::instance().remove("parallelJobs");
    }

    // And a real parallel build of the example.
    Project p("Heat");
    copyHeatExample(p);
    p.driver.setParallelBuildOverride(true);
    EXPECT_TRUE(p.buildAndWait()) << p.console.text().toStdString();
}

TEST(BuildDriver, MpiProjectBuildsAndRunsUnderMpirun)
{
    const QString mpif90 = QStandardPaths::findExecutable("mpif90");
    if (!haveTools() || mpif90.isEmpty() || QStandardPaths::findExecutable("mpirun").isEmpty())
        GTEST_SKIP() << "mpif90 or mpirun missing";
    Project p;
    Defaults::instance().setValue("environmentVariables",
                                  QVariantMap{{"OMPI_ALLOW_RUN_AS_ROOT", "1"},
                                              {"OMPI_ALLOW_RUN_AS_ROOT_CONFIRM", "1"},
                                              {"OMPI_MCA_rmaps_base_oversubscribe", "1"}});
    p.doc.setProjectCompilerPath(mpif90);
    p.doc.setNumberOfProcessors(2);
    p.addSource("hello.f90", "program hello\n  use mpi\n  implicit none\n  integer :: rank, "
                             "size, ierr\n  call MPI_Init(ierr)\n  call MPI_Comm_rank("
                             "MPI_COMM_WORLD, rank, ierr)\n  call MPI_Comm_size(MPI_COMM_WORLD, "
                             "size, ierr)\n  print '(a,i0,a,i0)', 'rank ', rank, ' of ', size\n"
                             "  call MPI_Finalize(ierr)\nend program hello\n");
    QSignalSpy parallel(&p.driver, &BuildDriver::parallelOptionsVisibleChanged);
    ASSERT_TRUE(p.buildAndWait()) << p.console.text().toStdString();
    EXPECT_EQ(p.doc.compiler(), 1);
    ASSERT_GE(parallel.count(), 1);
    EXPECT_TRUE(parallel.last().at(0).toBool());
    EXPECT_FALSE(p.console.text(Role::Info).contains("module mpi was not found"));
    p.console.segments.clear();
    ASSERT_TRUE(p.run.run());
    ASSERT_TRUE(waitFor([&] { return !p.run.processIsRunning(); }, 120000));
    EXPECT_TRUE(p.console.text().contains("rank 0 of 2")) << p.console.text().toStdString();
    EXPECT_TRUE(p.console.text().contains("rank 1 of 2"));
    Defaults::instance().remove("environmentVariables");
}

TEST(BuildDriver, AbortEndsMakeAndItsCompilersAndRemovesHalfWrittenObjects)
{
    if (QStandardPaths::findExecutable("make").isEmpty())
        GTEST_SKIP() << "make missing";
    Project p;
    // A compiler that writes half an object, then waits for a worker of its own, as gfortran
    // waits for f951 and as. make passes its SIGTERM to the compiler only; the worker is reached
    // only through the process group (we had this fault: workers outlived the abort).
    const QString compiler = p.path("slowfc");
    writeFile(compiler, "#!/bin/sh\nfor a; do case $prev in -o) obj=$a;; esac; prev=$a; done\n"
                        "printf half > \"$obj\"\n\"$0-worker\"\nprintf done >> \"$obj\"\n");
    writeFile(compiler + "-worker", "#!/bin/sh\nsleep 60\n");
    QFile(compiler).setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    QFile(compiler + "-worker").setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    p.doc.setProjectCompilerPath(compiler);
    p.addSource("a.f90", "subroutine a\nend\n");
    p.addSource("b.f90", "subroutine b\nend\n");
    p.driver.setParallelBuildOverride(true);
    // An object from an earlier build of the same compiler stays.
    p.doc.setNeedsFullRecompile(false);
    QDir().mkpath(p.doc.buildDirectoryPath());
    writeFile(p.buildFile("CompilerForObjectFiles"), compiler.toUtf8());
    writeFile(p.buildFile("old.o"), "complete");
    setModified(p.buildFile("old.o"), QDateTime::currentDateTime().addSecs(-3600));

    ASSERT_TRUE(p.driver.build());
    ASSERT_TRUE(waitFor(
        [&] {
            return QFileInfo::exists(p.buildFile("a.o")) && QFileInfo::exists(p.buildFile("b.o"));
        },
        30000));
    ASSERT_TRUE(waitFor([&] { return processMentioning(compiler + "-worker"); }, 30000));
    p.driver.abort();
    EXPECT_FALSE(p.run.processIsRunning());
    EXPECT_TRUE(p.console.text(Role::Error).contains("Corvane: Execution aborted.\n"));
    EXPECT_TRUE(waitFor([&] { return !processMentioning(compiler); }, 10000))
        << "a compiler outlived the abort";
    EXPECT_FALSE(QFileInfo::exists(p.buildFile("a.o")));
    EXPECT_FALSE(QFileInfo::exists(p.buildFile("b.o")));
    EXPECT_TRUE(QFileInfo::exists(p.buildFile("old.o")));
    EXPECT_EQ(p.finished.count(), 1);
    EXPECT_FALSE(p.driver.productWasMade());
    EXPECT_EQ(p.run.canRunExecutable(), QFileInfo::exists(p.path("DemoRunning")));
}

TEST(BuildFiles, LoaderTextStartsAtTheFirstLoaderLine)
{
    struct Case {
        const char *name;
        QString errors;
        QString loader; // null: none
    };
    const Case cases[] = {
        {"gcc 12 undefined reference",
         " /usr/bin/ld: main.o: in function `MAIN__':\nmain.f90:(.text+0x9): undefined reference "
         "to `nowhere_'\ncollect2: error: ld returned 1 exit status\n",
         "/usr/bin/ld: main.o: in function `MAIN__':\nmain.f90:(.text+0x9): undefined reference "
         "to `nowhere_'\ncollect2: error: ld returned 1 exit status\n"},
        {"after compiler warnings",
         " main.f90:3:13:\n\n    3 |   integer :: unused\n      |             1\nWarning: "
         "Unused variable\nld: warning: x has no symbols\n",
         "ld: warning: x has no symbols\n"},
        {"a construct named field quoted in a message",
         " main.f90:4:2:\n\n    4 |   field: do i = 1, n\n      |  1\nError: bad\n", QString()},
        {"nothing", " ", QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString got = buildfiles::loaderText(c.errors);
        EXPECT_EQ(got, c.loader);
        EXPECT_EQ(got.isNull(), c.loader.isNull());
    }
}

TEST(BuildFiles, RelativeDiagnosticPathsAreKeyedByTheFileTheyName)
{
    QTemporaryDir tmp;
    const QString build = tmp.filePath("Build_Running");
    writeFile(tmp.filePath("src/defs.inc"), "x");
    writeFile(tmp.filePath("inc/only.inc"), "x");
    writeFile(build + "/gen.inc", "x");
    auto row = [](const QString &file, quint64 line) {
        FindResult r(file, "msg", line, 1);
        return r;
    };
    ErrorsDictionary in;
    in.insert(tmp.filePath("src/defs.inc"), {row(tmp.filePath("src/defs.inc"), 9)});
    in.insert("../src/defs.inc", {row("../src/defs.inc", 2)});
    in.insert("only.inc", {row("only.inc", 4)});
    in.insert("gen.inc", {row("gen.inc", 1)});
    in.insert("nowhere.inc", {row("nowhere.inc", 7)});
    const ErrorsDictionary out =
        buildfiles::keyRelativePaths(in, build, {tmp.filePath("src"), tmp.filePath("inc")});
    EXPECT_EQ(out.keys(), QStringList({tmp.filePath("src/defs.inc"), tmp.filePath("inc/only.inc"),
                                       build + "/gen.inc", "nowhere.inc"}));
    const QList<FindResult> defs = out.value(tmp.filePath("src/defs.inc"));
    ASSERT_EQ(defs.size(), 2);
    EXPECT_EQ(defs[0].lineNumber, 2u); // merged and back in line order
    EXPECT_EQ(defs[0].filePath, tmp.filePath("src/defs.inc"));
    EXPECT_EQ(defs[1].lineNumber, 9u);
    EXPECT_EQ(out.value(tmp.filePath("inc/only.inc")).first().filePath,
              tmp.filePath("inc/only.inc"));
    EXPECT_EQ(buildfiles::diagnosticLines(out).first(),
              tmp.filePath("src/defs.inc") + ":2:1: error: msg");

    // The summary names the level once, whatever the compiler's text begins with.
    ErrorsDictionary levels;
    FindResult warning("w.f90", "Warning: Unused\n variable", 3, 7);
    warning.errorType = 1;
    levels.insert("w.f90", {warning, FindResult("w.f90", "Error: Symbol", 5, 2)});
    EXPECT_EQ(buildfiles::diagnosticLines(levels),
              QStringList({"w.f90:3:7: warning: Unused variable", "w.f90:5:2: error: Symbol"}));
}

TEST(BuildFiles, RemovesOnlyWhatWasWrittenSinceTheStart)
{
    QTemporaryDir tmp;
    const QDateTime start = QDateTime::currentDateTime().addSecs(-5);
    const struct {
        const char *name;
        int ageSeconds;
        bool removed;
    } files[] = {
        {"old.o", 60, false},   {"new.o", 0, true},       {"new.mod", 0, true},
        {"new.smod", 0, true},  {"DemoRunning", 0, true}, {"notes.txt", 0, false},
        {"main.f90", 0, false}, {"Demo.mak", 0, false},  {"new.mod.stamp", 0, true},
        {"old.mod.stamp", 60, false},
    };
    for (const auto &f : files) {
        writeFile(tmp.filePath(f.name), "x");
        setModified(tmp.filePath(f.name), QDateTime::currentDateTime().addSecs(-f.ageSeconds));
    }
    const QStringList removed =
        buildfiles::removeProductsWrittenSince(tmp.path(), start, {"DemoRunning"});
    for (const auto &f : files) {
        SCOPED_TRACE(f.name);
        EXPECT_EQ(removed.contains(f.name), f.removed);
        EXPECT_EQ(QFileInfo::exists(tmp.filePath(f.name)), !f.removed);
    }
}
