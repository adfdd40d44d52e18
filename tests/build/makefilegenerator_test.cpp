#include "build/makefilegenerator.h"
#include "build/modulefilelookup.h"
#include "support/testutil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace corvane
{
namespace
{

using test::writeFile;

class DependencyScan : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return m_dir.path() + QLatin1Char('/') + name; }
    QString write(const QString &name, const QByteArray &text)
    {
        writeFile(path(name), text);
        return path(name);
    }
    MakefileGenerator generator(const QString &includeFlags = QString()) const
    {
        MakefileSettings settings;
        settings.includeFlags = includeFlags;
        return MakefileGenerator(settings);
    }

    QTemporaryDir m_dir;
};

TEST_F(DependencyScan, UsedModulesOfOneLine)
{
    struct Case {
        const char *name;
        QByteArray text;
        QStringList want;
    };
    const Case cases[] = {
        {"use with only list keeps case", "USE Foo, ONLY: bar\n", {"Foo"}},
        {"intrinsic nature skipped", "use, intrinsic :: iso_c_binding\n", {}},
        {"library modules skipped", "use iso_fortran_env\nuse mpi\nUSE OMP_LIB\n", {}},
        // (we had this fault) the nature word was taken as the module name.
        {"non_intrinsic names the module", "use, non_intrinsic :: mymod\n", {"mymod"}},
        {"non_intrinsic without a name", "use, non_intrinsic ::\n", {}},
        {"comment and string", "! use foo\nprint *, 'use foo'\n", {}},
        {"substring hit does not count", "call fuse(x)\n", {}},
        {"tab after use is one token", "use\tfoo\n", {}},
        {"double colon form", "use :: geo\n", {"geo"}},
        {"each name once, in order", "use b\nuse a\nuse b\n", {"b", "a"}},
        {"bare use", "use\n", {}},
        {"garbage", "\x01\xff\xfe use \x80\n", {}},
        {"last line without break", "program p\nuse last", {"last"}},
        // (we had this fault) a submodule compiled before its ancestor module failed to build.
        {"submodule needs its ancestor", "submodule (shapes) impl\nend submodule impl\n",
         {"shapes"}},
        {"submodule of a submodule needs its parent too",
         "SUBMODULE(Shapes:Impl) deeper\n  use util\n", {"util", "Shapes", "shapes@impl"}},
        {"blanks around the colon", "submodule ( a : b ) c\n", {"a", "a@b"}},
        {"submodule ancestor also used", "submodule ( geo ) s\nuse geo\n", {"geo"}},
        {"end submodule alone", "end submodule impl\n", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = write("one.f90", c.text);
        EXPECT_EQ(generator().dependenciesForFileAndItsIncludes(file).modules, c.want);
    }
}

TEST_F(DependencyScan, IncludeFilesAddTheirUses)
{
    const QString main = write("main.f90", "program p\n  include 'common.inc'\n  use a\nend\n");
    const QString common = write("common.inc", "use physics\ninclude \"nested.inc\"\n");
    const QString nested = write("nested.inc", "use deep\n");
    const QString inc = write("alone.inc", "use physics\n");
    const DependenciesMap map = generator().dependenciesForFiles({main, common, inc});
    EXPECT_EQ(map.keys(), QStringList{main.toLower()});
    ASSERT_TRUE(map.find(main.toLower()));
    EXPECT_EQ(map.find(main.toLower())->modules, (QStringList{"a", "physics", "deep"}));
    EXPECT_EQ(map.find(main.toLower())->includeFiles, (QStringList{common, nested}));
}

TEST_F(DependencyScan, PreprocessedFilesGiveTheUsesTheCompilerSees)
{
    // A use under an inactive #ifdef is no dependency (so no missing-module warning); #include'd
    // files are prerequisites and their uses count; the flags' -D and the compiler's own macros
    // choose the branches.
    write("inc/defs.h", "use from_header\n");
    const QString header = path("inc/defs.h");
    const QString main =
        write("main.F90", "module m\n#include \"inc/defs.h\"\n"
                          "#ifdef __INTEL_COMPILER\n use ifcore\n#endif\n"
                          "#ifdef __GFORTRAN__\n use gf_only\n#endif\n"
                          "#if defined(WITH_MPI) && MPI_LEVEL > 1\n use mpi_helpers\n"
                          "#else\n use serial_helpers\n#endif\nend module\n");
    MakefileSettings settings;
    settings.compilerFlags = "-O2 -DWITH_MPI -DMPI_LEVEL=2";
    settings.compilerPath = "/usr/bin/gfortran";
    const FileDependencies deps =
        MakefileGenerator(settings).dependenciesForFileAndItsIncludes(main);
    EXPECT_EQ(deps.modules, (QStringList{"from_header", "gf_only", "mpi_helpers"}));
    EXPECT_EQ(deps.includeFiles, QStringList{header});

    settings.compilerFlags.clear();
    settings.compilerPath = "/opt/intel/bin/ifort";
    EXPECT_EQ(MakefileGenerator(settings).dependenciesForFileAndItsIncludes(main).modules,
              (QStringList{"from_header", "ifcore", "serial_helpers"}));
}

TEST_F(DependencyScan, MutualIncludesEnd)
{
    // (we had this fault) two include files that include each other recursed without end.
    const QString main = write("m.f90", "include 'a.inc'\nuse top\n");
    const QString a = write("a.inc", "include 'b.inc'\nuse fromA\n");
    const QString b = write("b.inc", "include 'a.inc'\ninclude 'm.f90'\nuse fromB\n");
    const FileDependencies deps = generator().dependenciesForFileAndItsIncludes(main);
    EXPECT_EQ(deps.modules, (QStringList{"top", "fromA", "fromB"}));
    EXPECT_EQ(deps.includeFiles, (QStringList{a, b}));
}

TEST_F(DependencyScan, UnreadableAndMissingFilesContributeNothing)
{
    const QString main = write("main.f90", "include 'missing.inc'\ninclude ''\ninclude '\nuse a\n");
    const FileDependencies deps = generator().dependenciesForFileAndItsIncludes(main);
    EXPECT_EQ(deps.modules, QStringList{"a"});
    EXPECT_TRUE(deps.includeFiles.isEmpty());
    const DependenciesMap map = generator().dependenciesForFiles({path("gone.f90")});
    ASSERT_TRUE(map.find(path("gone.f90").toLower()));
    EXPECT_TRUE(map.find(path("gone.f90").toLower())->modules.isEmpty());

    // A FIFO named like a source or an include file is not read (reading would wait for a
    // writer), nor is a folder.
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe.f90")), 0600), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe.inc")), 0600), 0);
    QDir(m_dir.path()).mkpath("folder.f90");
    const QString reader = write("reader.f90", "include 'pipe.inc'\nuse b\n");
    const MakefileGenerator::ProjectScan scan =
        generator().scanProject({path("pipe.f90"), path("folder.f90"), reader});
    EXPECT_TRUE(scan.dependencies.find(path("pipe.f90").toLower())->modules.isEmpty());
    EXPECT_TRUE(scan.dependencies.find(path("folder.f90").toLower())->modules.isEmpty());
    EXPECT_EQ(scan.dependencies.find(reader.toLower())->modules, QStringList{"b"});
    EXPECT_TRUE(scan.moduleFiles.keys().isEmpty());
}

TEST_F(DependencyScan, ModuleFilesMap)
{
    const QString first = write("First.f90", "module Shared\nend module Shared\n"
                                             "interface\n module procedure foo\nend interface\n");
    const QString second = write("second.f90", "MODULE shared\n  module function f()\n"
                                               "module\nend module\n");
    const QString inc = write("defs.inc", "module hidden\n");
    const ModuleFilesMap map = generator().filesForModuleNames({first, second, inc});
    EXPECT_EQ(map.keys(), (QStringList{"shared", "function"}));
    EXPECT_EQ(map.value("shared"), second); // the later file wins
    EXPECT_EQ(map.value("function"), second);
    EXPECT_FALSE(map.contains("procedure"));
    EXPECT_FALSE(map.contains("hidden"));

    // Submodules are known as gfortran names their files: ancestor@name.
    const QString sub = write("sub.f90", "submodule (Shared) Impl\nend submodule\n"
                                         "SUBMODULE(shared:impl) deeper\nend submodule deeper\n");
    const ModuleFilesMap withSubs = generator().filesForModuleNames({second, sub});
    EXPECT_EQ(withSubs.value("shared@impl"), sub);
    EXPECT_EQ(withSubs.value("shared@deeper"), sub);
    EXPECT_FALSE(withSubs.contains("shared@end"));
}

TEST_F(DependencyScan, OneReadOfEachFileFindsWhatTheTwoScansFind)
{
    // A source another one INCLUDEs (scanned before its own turn), one listed twice, an include
    // file in the list, a preprocessed one, a missing one and a module defined twice.
    const QString main = write("main.f90", "program p\n  include 'part.f90'\n  use a\nend\n");
    const QString part = write("part.f90", "use from_part\nmodule part_m\nend module\n");
    const QString a = write("a.F90", "module a\n#ifdef NEVER\nuse never\n#endif\nuse b\nend module\n");
    const QString b = write("b.f90", "module b\nend module\nmodule a\nend module\n");
    const QString inc = write("defs.inc", "module hidden\nuse physics\n");
    const QStringList paths = {main, part, a, b, inc, part, path("gone.f90")};
    const MakefileGenerator gen = generator();
    const MakefileGenerator::ProjectScan scan = gen.scanProject(paths);
    const DependenciesMap dependencies = gen.dependenciesForFiles(paths);
    EXPECT_EQ(scan.moduleFiles, gen.filesForModuleNames(paths));
    EXPECT_EQ(scan.moduleFiles.value("a"), b);
    ASSERT_EQ(scan.dependencies.keys(), dependencies.keys());
    for (const QString &key : dependencies.keys()) {
        SCOPED_TRACE(key.toStdString());
        EXPECT_EQ(scan.dependencies.find(key)->modules, dependencies.find(key)->modules);
        EXPECT_EQ(scan.dependencies.find(key)->includeFiles, dependencies.find(key)->includeFiles);
    }
    EXPECT_EQ(scan.dependencies.find(main.toLower())->modules, (QStringList{"a", "from_part"}));
    EXPECT_EQ(scan.dependencies.find(part.toLower())->modules, QStringList{"from_part"});
    EXPECT_EQ(scan.dependencies.find(a.toLower())->modules, QStringList{"b"});
}

TEST_F(DependencyScan, IncludeSearchOrder)
{
    const QString src = write("src/main.f90", "");
    write("src/beside.inc", "");
    write("src/local/l.inc", "");
    write("up/u.inc", "");
    write("quoted dir/q.inc", "");
    const QString flags = QStringLiteral("./local ../up \"%1\"").arg(path("quoted dir"));
    const MakefileGenerator gen = generator(flags);
    struct Case {
        QString name;
        std::optional<QString> want;
    };
    const Case cases[] = {
        {"beside.inc", path("src/beside.inc")},
        {"l.inc", path("src/local/l.inc")},
        {"u.inc", path("up/u.inc")},
        // A quoted flag names the folder inside its quotation marks.
        {"q.inc", path("quoted dir/q.inc")},
        {"none.inc", std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        EXPECT_EQ(gen.pathOfIncludefile(c.name, src), c.want);
    }
}

TEST_F(DependencyScan, CompiledModuleLookup)
{
    write("proj/local.mod", "");
    write("proj/Build_Running/built.mod", "");
    write("opt/netcdf/include/netcdf.mod", "");
    write("inc dir/quoted.mod", "");
    write("plain/plain.mod", "");
    const QVariantMap env{{"NETCDF", path("opt/netcdf")}};
    const QStringList dirs =
        projectFilePaths(path("proj"), path("proj/Build_Running"),
                         QStringLiteral("$(NETCDF)/include \"%1\" $(NOPE)/x $(BROKEN %2/./")
                             .arg(path("inc dir"), path("plain")));
    EXPECT_EQ(dirs.size(), 7);
    struct Case {
        const char *name;
        bool want;
    };
    const Case cases[] = {{"local", true},  {"built", true}, {"netcdf", true},
                          {"quoted", true}, {"plain", true}, {"absent", false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(moduleFileExistsFor(c.name, dirs, env), c.want);
    }
    EXPECT_EQ(expandedModuleDirectory("$(NETCDF)/include", env), path("opt/netcdf") + "/include");
    EXPECT_TRUE(expandedModuleDirectory("$(NOPE)/x", env).isNull());
    EXPECT_TRUE(expandedModuleDirectory("$(BROKEN", env).isNull());
    EXPECT_TRUE(expandedModuleDirectory(")x$(NETCDF", env).isNull());
    EXPECT_EQ(projectFilePaths("/p", "/p/b", ""), (QStringList{"/p", "/p/b"}));
}

} // namespace
} // namespace corvane
