// Builds that do only what is needed: parallel jobs bounded by the setting, a build with nothing
// to do that compiles, archives and links nothing and leaves the product beside the project as it
// was, and an edit that rebuilds and replaces it.
#include "buildproject.h"

#include "build/productplacement.h"

#include <QFileInfo>
#include <QTextStream>

#include <algorithm>
#include <functional>

using namespace corvane;
using namespace corvane::test;
using Role = Console::Role;

namespace
{

// Most stand-in compilers that were running at the same moment, from "start NS" / "end NS" lines.
int mostAtOnce(const QByteArray &log)
{
    QList<std::pair<qint64, int>> events;
    for (const QByteArray &line : log.split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 2)
            events.append({parts[1].toLongLong(), parts[0] == "start" ? 1 : -1});
    }
    // An end and a start at the same instant do not overlap.
    std::sort(events.begin(), events.end());
    int running = 0, most = 0;
    for (const auto &e : events)
        most = std::max(most, running += e.second);
    return most;
}

// Makes an edited source newer than the object built from it, however coarse the clock, without
// leaving it in the future (which would make every later build compile it again).
void editedAfter(const QString &source, const QString &object)
{
    const QDateTime built = QFileInfo(object).lastModified();
    if (QFileInfo(source).lastModified() <= built)
        setModified(source, built.addMSecs(10));
}

TEST(IncrementalBuild, ParallelJobsBoundHowManyCompilersRunAtOnce)
{
    if (QStandardPaths::findExecutable("make").isEmpty())
        GTEST_SKIP() << "make missing";
    // A stand-in compiler that records when it starts and ends and writes its -o file.
    QTemporaryDir bin;
    const QString log = bin.filePath("compiles.log");
    writeFile(bin.filePath("standin-fc"),
              ("#!/bin/sh\necho \"start $(date +%s%N)\" >> '" + log +
               "'\nsleep 0.2\nout=\nprev=\nfor a in \"$@\"; do [ \"$prev\" = -o ] && out=$a; "
               "prev=$a; done\necho built > \"$out\"\necho \"end $(date +%s%N)\" >> '" +
               log + "'\n")
                  .toUtf8());
    QFile(bin.filePath("standin-fc")).setPermissions(QFile::ReadOwner | QFile::ExeOwner);

    const struct {
        int jobs;
        int most;
    } cases[] = {{2, 2}, {1, 1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.jobs);
        QFile::remove(log);
        Project p;
        Defaults::instance().setValue("environmentVariables", QVariantMap{{"PATH", bin.path()}});
        Defaults::instance().setValue("parallelBuild", true);
        Defaults::instance().setValue("parallelJobs", c.jobs);
        p.doc.setProjectCompilerPath("standin-fc");
        for (int i = 0; i < 12; ++i)
            p.addSource(QStringLiteral("s%1.f90").arg(i),
                        QStringLiteral("subroutine s%1\nend\n").arg(i).toUtf8());
        EXPECT_TRUE(p.buildAndWait()) << p.console.text().toStdString();
        const QByteArray recorded = readFile(log);
        EXPECT_EQ(recorded.count("start"), 13) << "12 compiles and the link";
        EXPECT_EQ(mostAtOnce(recorded), c.most) << recorded.toStdString();
    }
    Defaults::instance().remove("environmentVariables");
    Defaults::instance().remove("parallelBuild");
    Defaults::instance().remove("parallelJobs");
}

TEST(IncrementalBuild, SecondBuildDoesNothingAndAnEditRebuildsTheProductBesideTheProject)
{
    if (!haveTools())
        GTEST_SKIP() << "make or gfortran missing";
    const QString nothing = QString::fromUtf8(buildtexts::kNothingToBuild);
    const QString librarySuccess = QString::fromUtf8(buildtexts::kLibrarySuccess);
    for (const bool library : {false, true}) {
        SCOPED_TRACE(library ? "library" : "executable");
        Project p;
        p.doc.setCompileForLibrary(library);
        p.addSource("values.f90", "module values\n  integer :: answer = 41\nend module\n");
        if (!library)
            p.addSource("main.f90", "program main\n  use values\n  print '(i0)', answer\nend\n");
        const QString name = library ? p.doc.libraryName() : p.doc.executableName();
        const QString placed = library ? QDir(p.doc.libraryDirectoryPath()).filePath(name)
                                       : p.path(name);
        const QString success = library ? librarySuccess : kSuccess;

        ASSERT_TRUE(p.buildAndWait()) << p.console.text().toStdString();
        EXPECT_FALSE(p.driver.hadNothingToBuild());
        EXPECT_FALSE(p.console.text().contains(nothing));
        const auto built = productplacement::versionOf(p.buildFile(name));
        const auto first = productplacement::versionOf(placed);
        ASSERT_TRUE(built && first);
        // An executable is a hard link to the build folder's; a library is a copy of it.
        EXPECT_EQ(first->inode == built->inode, !library);
        EXPECT_EQ(first->modifiedNs, built->modifiedNs);

        p.console.segments.clear();
        ASSERT_TRUE(p.buildAndWait()) << p.console.text().toStdString();
        const QString quiet = p.console.text();
        EXPECT_FALSE(quiet.contains(" -c ")) << quiet.toStdString();
        EXPECT_FALSE(quiet.contains("ar rc") || quiet.contains("ranlib") || quiet.contains(" -o "))
            << quiet.toStdString();
        EXPECT_TRUE(p.console.text(Role::Info).contains(success + nothing)) << quiet.toStdString();
        EXPECT_TRUE(p.driver.hadNothingToBuild());
        EXPECT_EQ(productplacement::versionOf(placed), first);

        // An edit rebuilds; the new product replaces the one beside the project.
        p.addSource("values.f90", "module values\n  integer :: answer = 42\nend module\n");
        editedAfter(p.path("values.f90"), p.buildFile("values.o"));
        p.console.segments.clear();
        ASSERT_TRUE(p.buildAndWait()) << p.console.text().toStdString();
        EXPECT_TRUE(p.console.text().contains(" -c ")) << p.console.text().toStdString();
        EXPECT_FALSE(p.console.text().contains(nothing));
        EXPECT_FALSE(p.driver.hadNothingToBuild());
        const auto second = productplacement::versionOf(placed);
        ASSERT_TRUE(second);
        EXPECT_NE(second, first);
        if (library)
            EXPECT_EQ(readFile(placed), readFile(p.buildFile(name)));
        else
            EXPECT_EQ(runProgram(placed, {}).out, QByteArray("42\n"));

        // Removed beside the project only: the next build puts it back without linking.
        QFile::remove(placed);
        p.console.segments.clear();
        ASSERT_TRUE(p.buildAndWait());
        EXPECT_TRUE(QFileInfo::exists(placed));
        EXPECT_TRUE(p.driver.hadNothingToBuild());

        // Clean removes the build folder's product and the executable beside the project.
        EXPECT_TRUE(p.driver.clean());
        EXPECT_FALSE(QFileInfo::exists(p.buildFile(name)));
        EXPECT_EQ(QFileInfo::exists(placed), library);
    }
}

// (we had these faults) A submodule whose file comes before its ancestor's failed a fresh build;
// a module file deleted after its object was made failed every reader until a Clean.
TEST(IncrementalBuild, SubmodulesAndDeletedModuleFilesBuild)
{
    if (!haveTools())
        GTEST_SKIP() << "make or gfortran missing";
    Project p;
    // The submodule of a submodule sorts first, its parent next, the ancestor module last.
    p.addSource("a_deeper.f90", "submodule (shapes:impl) deeper\ncontains\n"
                                "  module procedure twice\n    a = 2 * area(side)\n"
                                "  end procedure\nend submodule\n");
    p.addSource("b_impl.f90", "submodule (shapes) impl\ncontains\n  module procedure area\n"
                              "    a = side * side\n  end procedure\nend submodule\n");
    const QByteArray function = "    module function %1(side) result(a)\n"
                                "      real, intent(in) :: side\n      real :: a\n"
                                "    end function\n";
    p.addSource("shapes.f90", "module shapes\n  interface\n" +
                                  QByteArray(function).replace("%1", "area") +
                                  QByteArray(function).replace("%1", "twice") +
                                  "  end interface\nend module\n");
    p.addSource("main.f90", "program main\n  use shapes\n  print '(f0.1)', twice(3.0)\nend\n");
    ASSERT_TRUE(p.buildAndWait()) << p.console.text().toStdString();
    EXPECT_EQ(runProgram(p.path(p.doc.executableName()), {}).out, QByteArray("18.0\n"));

    ASSERT_TRUE(QFile::remove(p.buildFile("shapes.mod")));
    p.addSource("main.f90", "program main\n  use shapes\n  print '(f0.1)', twice(4.0)\nend\n");
    editedAfter(p.path("main.f90"), p.buildFile("main.o"));
    p.console.segments.clear();
    ASSERT_TRUE(p.buildAndWait()) << p.console.text().toStdString();
    EXPECT_TRUE(QFileInfo::exists(p.buildFile("shapes.mod")));
    EXPECT_EQ(runProgram(p.path(p.doc.executableName()), {}).out, QByteArray("32.0\n"));
}

TEST(IncrementalBuild, TheMakefileIsWrittenOnlyWhenItsTextChanges)
{
    if (!haveTools())
        GTEST_SKIP() << "make or gfortran missing";
    Project p;
    p.addSource("main.f90", "program main\n  include 'answer.inc'\n  print '(i0)', answer\nend\n");
    QDir(p.dir.path()).mkpath("inc");
    QDir(p.dir.path()).mkpath("more");
    writeFile(p.path("inc/answer.inc"), "integer, parameter :: answer = 42\n");
    writeFile(p.path("more/answer.inc"), "integer, parameter :: answer = 43\n");
    p.doc.setIncludeFlags(p.path("inc"));
    ASSERT_TRUE(p.buildAndWait()) << p.console.text().toStdString();
    const QString makefile = p.doc.pathToMakefile();
    ASSERT_TRUE(QFileInfo::exists(makefile));

    const struct {
        const char *name;
        std::function<void()> change;
        bool rewritten;
    } cases[] = {
        {"nothing changed", [] {}, false},
        {"another include folder", [&] { p.doc.setIncludeFlags(p.path("more")); }, true},
        {"the same again", [] {}, false},
        {"other compiler flags", [&] { p.doc.setCompilerFlags("-O1"); }, true},
        {"edited by hand", [&] { writeFile(makefile, readFile(makefile) + "# mine\n"); }, true},
        {"removed", [&] { QFile::remove(makefile); }, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        // An hour old, so that a rewrite shows in the time stamp however coarse the clock.
        const QDateTime old = QDateTime::currentDateTime().addSecs(-3600);
        setModified(makefile, old);
        c.change();
        ASSERT_TRUE(p.buildAndWait()) << p.console.text().toStdString();
        EXPECT_EQ(QFileInfo(makefile).lastModified() > old.addSecs(1), c.rewritten);
        EXPECT_EQ(QString::fromUtf8(readFile(makefile)), p.doc.makeFile());
    }
    EXPECT_TRUE(p.doc.makeFile().contains("-I" + p.path("more")));
}

TEST(IncrementalBuild, AFailedBuildKeepsTheEarlierProductAndClaimsNoSuccess)
{
    if (!haveTools())
        GTEST_SKIP() << "make or gfortran missing";
    Project p;
    p.addSource("main.f90", "program main\n  print '(i0)', 1\nend\n");
    ASSERT_TRUE(p.buildAndWait());
    const auto before = productplacement::versionOf(p.path("DemoRunning"));
    p.addSource("main.f90", "program main\n  print '(i0)', 1 +\nend\n");
    editedAfter(p.path("main.f90"), p.buildFile("main.o"));
    p.console.segments.clear();
    EXPECT_FALSE(p.buildAndWait());
    EXPECT_FALSE(p.console.text().contains(kSuccess)) << p.console.text().toStdString();
    EXPECT_FALSE(p.console.text().contains(QString::fromUtf8(buildtexts::kNothingToBuild)));
    EXPECT_EQ(productplacement::versionOf(p.path("DemoRunning")), before);
    EXPECT_EQ(runProgram(p.path("DemoRunning"), {}).out, QByteArray("1\n"));
}

TEST(IncrementalBuild, ModuleAwareByDefaultWithStampsCleanedAndTheClassicSettingDescribed)
{
    if (!haveTools())
        GTEST_SKIP() << "make or gfortran missing";
    // A compiler whose name says nothing of gfortran gets module stamps.
    QTemporaryDir bin;
    const QString fc = bin.filePath("fc");
    writeFile(fc, "#!/bin/sh\nexec gfortran \"$@\"\n");
    QFile(fc).setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    Project p;
    p.doc.setProjectCompilerPath(fc);
    p.addSource("alpha.f90", "module alpha\n  integer :: a = 7\nend module\n");
    p.addSource("main.f90", "program main\n  use alpha\n  print '(i0)', a\nend\n");
    ASSERT_TRUE(p.buildAndWait()) << p.console.text().toStdString();
    EXPECT_TRUE(p.doc.makeFile().contains("main.o : " + p.path("main.f90") +
                                          " \\\nalpha.mod.stamp\n"))
        << p.doc.makeFile().toStdString();
    EXPECT_TRUE(QFileInfo::exists(p.buildFile("alpha.mod.stamp")));
    ASSERT_TRUE(p.buildAndWait());
    EXPECT_TRUE(p.driver.hadNothingToBuild()) << p.console.text().toStdString();

    EXPECT_TRUE(p.driver.clean());
    EXPECT_TRUE(QDir(p.doc.buildDirectoryPath()).entryList({"*.stamp", "*.o", "*.mod"}).isEmpty());

    // The classic setting writes objects that depend on objects, and cleans first.
    ASSERT_TRUE(p.buildAndWait());
    p.doc.setModuleAwareRebuilds(false);
    ASSERT_TRUE(p.buildAndWait()) << p.console.text().toStdString();
    const QString classic = p.doc.makeFile();
    EXPECT_TRUE(classic.endsWith("main.o : " + p.path("main.f90") + " \\\nalpha.o\n\t$(F90) -c "
                                 "$(FFLAGS) $(INCLUDES) -o $@ " + p.path("main.f90") + "\n\n"))
        << classic.toStdString();
    EXPECT_FALSE(classic.contains(".mod"));
    EXPECT_FALSE(QFileInfo::exists(p.buildFile("alpha.mod.stamp")));
    EXPECT_EQ(readFile(p.buildFile("Demo.mak")), classic.toUtf8());
    EXPECT_EQ(runProgram(p.path("DemoRunning"), {}).out, QByteArray("7\n"));
}

TEST(ProductPlacement, ReplacesOnlyAChangedProductAndNeverHalfWay)
{
    QTemporaryDir tmp;
    const QString built = tmp.filePath("built"), placed = tmp.filePath("placed");
    writeFile(built, "version 1");
    QString error;
    using productplacement::Placement;
    EXPECT_EQ(productplacement::placeProduct(built, placed, false, &error), Placement::Replaced);
    EXPECT_EQ(readFile(placed), QByteArray("version 1"));
    EXPECT_EQ(productplacement::placeProduct(built, placed, false, &error), Placement::Unchanged);
    // A copy of the same size but another time is replaced.
    writeFile(built, "version 2");
    setModified(built, QDateTime::currentDateTime().addSecs(5));
    EXPECT_EQ(productplacement::placeProduct(built, placed, true, &error), Placement::Replaced);
    EXPECT_EQ(productplacement::versionOf(placed)->inode,
              productplacement::versionOf(built)->inode);
    EXPECT_EQ(productplacement::placeProduct(built, placed, true, &error), Placement::Unchanged);
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);

    EXPECT_EQ(productplacement::placeProduct(tmp.filePath("absent"), placed, true, &error),
              Placement::Failed);
    EXPECT_TRUE(error.contains("absent"));
    EXPECT_EQ(productplacement::placeProduct(built, tmp.filePath("no/such/dir/x"), false, &error),
              Placement::Failed);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readFile(placed), QByteArray("version 2"));
}

} // namespace
