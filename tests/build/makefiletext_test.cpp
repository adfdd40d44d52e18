#include "build/makefilegenerator.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace corvane
{
namespace
{

MakefileSettings releaseDemo()
{
    MakefileSettings settings;
    settings.compilerFlags = "-O2";
    settings.executableName = "DemoRunning";
    settings.libraryName = "libDemoRunning.a";
    return settings;
}

QString makefile(const MakefileSettings &settings, const QStringList &paths,
                 const DependenciesMap &deps, const ModuleFilesMap &modules,
                 const QString &compiler = "gfortran")
{
    Result<QString> text =
        MakefileGenerator(settings).makefileForFiles(paths, deps, modules, compiler);
    EXPECT_TRUE(text.ok()) << text.error().toStdString();
    return text.ok() ? *text : QString();
}

const char kHead[] = "##########################\n# Object Files for build #\n"
                     "##########################\n\nOBJS = \\\n";
const char kRules[] = "\n#######################################\n"
                      "# Object dependencies and compilation #\n"
                      "#######################################\n";

TEST(MakefileText, WorkedExample)
{
    DependenciesMap deps;
    deps.insert("/p/alpha.f90", {});
    deps.insert("/p/main.f90", {{"alpha"}, {}});
    ModuleFilesMap modules;
    modules.insert("alpha", "/p/alpha.f90");
    const QString want = "F90 = gfortran\n"
                         "FFLAGS = -O2\n"
                         "##########################\n"
                         "# Object Files for build #\n"
                         "##########################\n"
                         "\n"
                         "OBJS = \\\n"
                         "alpha.o \\\n"
                         "main.o \\\n"
                         "\n"
                         "DemoRunning : $(OBJS)\n"
                         "\t ${F90}  -o $@ $(OBJS)\n"
                         "\n"
                         "#######################################\n"
                         "# Object dependencies and compilation #\n"
                         "#######################################\n"
                         "alpha.o : /p/alpha.f90\n"
                         "\t$(F90) -c $(FFLAGS) $(INCLUDES) -o $@ /p/alpha.f90\n"
                         "\n"
                         "main.o : /p/main.f90 \\\n"
                         "alpha.o\n"
                         "\t$(F90) -c $(FFLAGS) $(INCLUDES) -o $@ /p/main.f90\n"
                         "\n";
    EXPECT_EQ(makefile(releaseDemo(), {"/p/alpha.f90", "/p/main.f90"}, deps, modules), want);
}

TEST(MakefileText, ModuleAwareRulesForEachScheme)
{
    DependenciesMap deps;
    deps.insert("/p/alpha.f90", {});
    // beta reads alpha and a module it defines itself; main reads both and one from nowhere.
    deps.insert("/p/beta.f90", {{"Alpha", "beta_inner"}, {}});
    deps.insert("/p/main.f90", {{"alpha", "BETA", "beta_inner", "netcdf"}, {"/p/main.inc"}});
    ModuleFilesMap modules;
    modules.insert("alpha", "/p/alpha.f90");
    modules.insert("beta", "/p/beta.f90");
    modules.insert("beta_inner", "/p/beta.f90");
    const QStringList paths = {"/p/alpha.f90", "/p/beta.f90", "/p/main.f90"};
    MakefileSettings settings = releaseDemo();
    settings.moduleAwareRebuilds = true;
    const QString note =
        "# Readers of a module depend on its module file, remade by the compile of the object that\n"
        "# defines it; its empty recipe makes make read the file's time again afterwards, so a\n"
        "# compile that leaves the module's interface as it was rebuilds none of its readers.\n";
    const QString compile = "\t$(F90) -c $(FFLAGS) $(INCLUDES) -o $@ ";
    struct Case {
        const char *compiler;
        QString rules;
    };
    const QString stampAlpha = "\t@if [ -f alpha.mod ]; then cmp -s alpha.mod alpha.mod.stamp || "
                               "cp alpha.mod alpha.mod.stamp; else touch alpha.mod.stamp; fi\n";
    // An object whose module file is missing is out of date, whatever the scheme.
    const QString missingAlpha = " \\\n$(if $(filter-out $(wildcard alpha.mod),alpha.mod),"
                                 "corvane-module-file-missing)\n";
    const QString missingBeta = " \\\n$(if $(filter-out $(wildcard beta.mod beta_inner.mod),"
                                "beta.mod beta_inner.mod),corvane-module-file-missing)\n";
    const QString phony = ".PHONY : corvane-module-file-missing\ncorvane-module-file-missing :\n";
    const Case cases[] = {
        {"gfortran",
         "alpha.o : /p/alpha.f90" + missingAlpha + compile +
             "/p/alpha.f90\n\nalpha.mod : alpha.o ; +\n\n"
             "beta.o : /p/beta.f90 \\\nalpha.mod" + missingBeta + compile + "/p/beta.f90\n\n"
             "beta.mod : beta.o ; +\nbeta_inner.mod : beta.o ; +\n\n"
             "main.o : /p/main.f90 \\\nalpha.mod \\\nbeta.mod \\\nbeta_inner.mod \\\n/p/main.inc\n" +
             compile + "/p/main.f90\n\n" + phony},
        {"/opt/intel/bin/ifort",
         "alpha.o : /p/alpha.f90" + missingAlpha + compile + "/p/alpha.f90\n" + stampAlpha +
             "\nalpha.mod.stamp : alpha.o ; +\n\n"
             "beta.o : /p/beta.f90 \\\nalpha.mod.stamp" + missingBeta + compile + "/p/beta.f90\n"
             "\t@if [ -f beta.mod ]; then cmp -s beta.mod beta.mod.stamp || cp beta.mod "
             "beta.mod.stamp; else touch beta.mod.stamp; fi; if [ -f beta_inner.mod ]; then cmp "
             "-s beta_inner.mod beta_inner.mod.stamp || cp beta_inner.mod beta_inner.mod.stamp; "
             "else touch beta_inner.mod.stamp; fi\n\n"
             "beta.mod.stamp : beta.o ; +\nbeta_inner.mod.stamp : beta.o ; +\n\n"
             "main.o : /p/main.f90 \\\nalpha.mod.stamp \\\nbeta.mod.stamp \\\n"
             "beta_inner.mod.stamp \\\n/p/main.inc\n" + compile + "/p/main.f90\n\n" + phony},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.compiler);
        const QString text = makefile(settings, paths, deps, modules, c.compiler);
        EXPECT_TRUE(text.endsWith(kRules + note + c.rules)) << text.toStdString();
        // Everything before the rules is the same as without module-aware rebuilds.
        const QString classic = makefile(releaseDemo(), paths, deps, modules, c.compiler);
        EXPECT_EQ(text.left(text.indexOf(kRules)), classic.left(classic.indexOf(kRules)));
    }

    // A name no module file can have keeps the object prerequisite.
    const std::pair<const char *, const char *> names[] = {
        {"w$x", nullptr}, {"_lead", nullptr}, {"9lives", nullptr}, {"t\u00e9", nullptr},
        {"a", "a.mod"},   {"z_9", "z_9.mod"},
    };
    for (const auto &[name, moduleFile] : names) {
        SCOPED_TRACE(name);
        DependenciesMap odd;
        odd.insert("/p/main.f90", {{name}, {}});
        ModuleFilesMap oddModules;
        oddModules.insert(name, "/p/alpha.f90");
        const QString text =
            makefile(settings, {"/p/alpha.f90", "/p/main.f90"}, odd, oddModules, "gfortran");
        const QString prerequisite = moduleFile ? moduleFile : "alpha.o";
        EXPECT_TRUE(text.contains("main.o : /p/main.f90 \\\n" + prerequisite + "\n"))
            << text.toStdString();
        EXPECT_EQ(text.contains(" ; +\n"), moduleFile != nullptr);
    }
}

TEST(MakefileText, ModuleFileSchemes)
{
    using S = ModuleFileScheme;
    const std::pair<const char *, S> cases[] = {
        {"gfortran", S::ModuleFile},          {"/usr/bin/gfortran-12\n", S::ModuleFile},
        {"x86_64-linux-gnu-gfortran", S::ModuleFile}, {"ifort", S::Stamp},
        {"ifx", S::Stamp},                    {"nagfor", S::Stamp},
        {"pgfortran", S::Stamp},              {"g95", S::Stamp},
        {"af95", S::Stamp},                   {"mpif90", S::Stamp},
        {"/usr/bin/caf", S::Stamp},           {"/opt/gfortran/bin/ifort", S::Stamp},
        {"gfortran-wrapper", S::Stamp},
    };
    for (const auto &[compiler, scheme] : cases)
        EXPECT_EQ(MakefileGenerator::moduleFileSchemeFor(compiler), scheme) << compiler;

    // A link is followed to the compiler it names (as /usr/bin/f95 names gfortran).
    QTemporaryDir dir;
    const QString real = dir.filePath("x86_64-linux-gnu-gfortran-12");
    QFile file(real);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ASSERT_TRUE(QFile::link(real, dir.filePath("f95")));
    ASSERT_TRUE(QFile::link(dir.filePath("f95"), dir.filePath("fc")));
    EXPECT_EQ(MakefileGenerator::moduleFileSchemeFor(dir.filePath("fc")), S::ModuleFile);
    EXPECT_EQ(MakefileGenerator::moduleFileSchemeFor(dir.filePath("missing")), S::Stamp);
}

TEST(MakefileText, SettingsVariants)
{
    struct Case {
        const char *name;
        MakefileSettings settings;
        QString compiler;
        QString want;
    };
    MakefileSettings noFlags = releaseDemo();
    noFlags.compilerFlags = QString();
    MakefileSettings library = releaseDemo();
    library.compileForLibrary = true;
    library.linkerFlags = "-lm";
    MakefileSettings linker = releaseDemo();
    linker.linkerFlags = "-lblas";
    MakefileSettings quotedInclude = releaseDemo();
    quotedInclude.includeFlags = "\"/w/My Inc\" ./x";
    MakefileSettings emptyInclude = releaseDemo();
    emptyInclude.includeFlags = "";
    const QString objs = QString(kHead) + "a.o \\\n\n";
    const QString exe = "DemoRunning : $(OBJS)\n\t ${F90}  -o $@ $(OBJS)\n";
    const QString rules =
        QString(kRules) + "a.o : /w/a.f90\n\t$(F90) -c $(FFLAGS) $(INCLUDES) -o $@ /w/a.f90\n\n";
    const Case cases[] = {
        {"no compiler flags", noFlags, "gfortran", "F90 = gfortran\n" + objs + exe + rules},
        {"compiler with line feed", releaseDemo(), "/usr/bin/gfortran\n",
         "F90 = /usr/bin/gfortran\n\nFFLAGS = -O2\n" + objs + exe + rules},
        {"library", library, "gfortran",
         "F90 = gfortran\nFFLAGS = -O2\n" + objs +
             "libDemoRunning.a : $(OBJS)\n\tar rc libDemoRunning.a $(OBJS)\n\tranlib "
             "libDemoRunning.a\n" +
             rules},
        {"linker flags", linker, "gfortran",
         "F90 = gfortran\nFFLAGS = -O2\n" + objs +
             "DemoRunning : $(OBJS)\n\t ${F90} -lblas -o $@ $(OBJS)\n" + rules},
        {"quoted include", quotedInclude, "gfortran",
         "F90 = gfortran\nFFLAGS = -O2\nINCLUDES = -I\"/w/My Inc\" -I./x\n" + objs + exe + rules},
        {"empty include flags", emptyInclude, "gfortran",
         "F90 = gfortran\nFFLAGS = -O2\nINCLUDES =\n" + objs + exe + rules},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(makefile(c.settings, {"/w/a.f90"}, {}, {}, c.compiler), c.want);
    }
}

TEST(MakefileText, OnlyIncludeFiles)
{
    const QString want = "F90 = gfortran\nFFLAGS = -O2\n" + QString(kHead) + "\n" +
                         "DemoRunning : $(OBJS)\n\t ${F90}  -o $@ $(OBJS)\n" + kRules;
    EXPECT_EQ(makefile(releaseDemo(), {"/w/a.inc", "/w/b.H"}, {}, {}), want);
}

TEST(MakefileText, ObjectPrerequisites)
{
    DependenciesMap deps;
    // Uses a module it defines, one from elsewhere twice by case, one not in the project.
    deps.insert("/w/my dir/a b.f90", {{"Self", "Other", "OTHER", "netcdf"}, {}});
    deps.insert("/w/o.f90", {{}, {"/w/one.inc", "/w/sub dir/two.inc"}});
    ModuleFilesMap modules;
    modules.insert("self", "/w/My Dir/a b.f90");
    modules.insert("other", "/w/o.f90");
    const QString text =
        makefile(releaseDemo(), {"/w/My Dir/a b.f90", "/w/o.f90", "/w/one.inc"}, deps, modules);
    const QString want = QString(kRules) +
                         "ab.o : /w/My\\ Dir/a\\ b.f90 \\\no.o \\\no.o\n"
                         "\t$(F90) -c $(FFLAGS) $(INCLUDES) -o $@ /w/My\\ Dir/a\\ b.f90\n\n"
                         "o.o : /w/o.f90 \\\n/w/one.inc \\\n/w/sub\\ dir/two.inc\n"
                         "\t$(F90) -c $(FFLAGS) $(INCLUDES) -o $@ /w/o.f90\n\n";
    EXPECT_TRUE(text.endsWith(want)) << text.toStdString();
    EXPECT_TRUE(text.contains("OBJS = \\\nab.o \\\no.o \\\n\n"));
}

TEST(MakefileText, HostileNames)
{
    MakefileSettings settings = releaseDemo();
    settings.executableName = "Run(1)$xRunning";
    const QString text = makefile(settings, {"/w/a&b$c.f90"}, {}, {});
    EXPECT_TRUE(text.contains("Run(1)$$xRunning : $(OBJS)\n\t ${F90}  -o Run\\(1\\)\\$$xRunning "
                              "$(OBJS)\n"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("a_b_c.o : /w/a&b$$c.f90\n\t$(F90) -c $(FFLAGS) $(INCLUDES) -o $@ "
                              "/w/a\\&b\\$$c.f90\n"))
        << text.toStdString();

    settings.compileForLibrary = true;
    settings.libraryName = "lib50%.a";
    const QString lib = makefile(settings, {"/w/a.f90"}, {}, {});
    EXPECT_TRUE(lib.contains("lib50\\%.a : $(OBJS)\n\tar rc lib50%.a $(OBJS)\n\tranlib lib50%.a\n"))
        << lib.toStdString();

    struct Refusal {
        QStringList paths;
        DependenciesMap deps;
        QString named;
    };
    DependenciesMap viaInclude;
    viaInclude.insert("/w/a.f90", {{}, {"/w/x:y.inc"}});
    const Refusal refusals[] = {
        {{"/w/a;rm.f90"}, {}, "/w/a;rm.f90"},
        {{"/w/ok.f90", "/w/a\nb.f90"}, {}, "/w/a\nb.f90"},
        {{"/w/a.f90"}, viaInclude, "/w/x:y.inc"},
    };
    for (const Refusal &r : refusals) {
        SCOPED_TRACE(r.named.toStdString());
        const Result<QString> result =
            MakefileGenerator(releaseDemo()).makefileForFiles(r.paths, r.deps, {}, "gfortran");
        ASSERT_FALSE(result.ok());
        EXPECT_TRUE(result.error().contains(r.named)) << result.error().toStdString();
    }
    // An include file that only a header-like path would read is not a source: no refusal.
    EXPECT_TRUE(
        MakefileGenerator(releaseDemo()).makefileForFiles({"/w/a;b.inc"}, {}, {}, "gfortran").ok());
}

TEST(MakefileText, ObjectNameCollisions)
{
    const MakefileGenerator gen(releaseDemo());
    const QStringList warnings =
        gen.objectNameCollisions({"/a/x.f90", "/b/x.F", "/a/y.f90", "/c/x y.f90", "/c/x.inc"});
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_EQ(warnings[0], "Corvane: Warning: /a/x.f90, /b/x.F all compile to the object file "
                           "x.o, so only one of them is built.\n");
    EXPECT_TRUE(gen.objectNameCollisions({"/a/x.f90", "/a/y.f90"}).isEmpty());
    // Both rules are still written.
    const QString text = makefile(releaseDemo(), {"/a/x.f90", "/b/x.f90"}, {}, {});
    EXPECT_TRUE(text.contains("x.o : /a/x.f90\n"));
    EXPECT_TRUE(text.contains("x.o : /b/x.f90\n"));
}

} // namespace
} // namespace corvane
