// Compiler discovery with fake compilers on a private search path, the gfortran version check
// with real and pasted `-v` texts, and the compiler lists in the settings.
#include "build/compilerdiscovery.h"
#include "build/unix.h"
#include "project/prompts.h"
#include "settings/defaults.h"
#include "support/testutil.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace corvane;

namespace
{

struct Store {
    QTemporaryDir dir;
    Defaults defaults{std::make_unique<QSettings>(dir.filePath("s.ini"), QSettings::IniFormat)};
};

void fakeCompiler(const QString &path, const QByteArray &verboseText)
{
    corvane::test::writeFile(path, "#!/bin/sh\nprintf '%s\\n' '" + verboseText + "' >&2\n");
    QFile(path).setPermissions(QFile::ReadOwner | QFile::ExeOwner);
}

QProcessEnvironment pathOnly(const QString &dirs)
{
    QProcessEnvironment env;
    env.insert("PATH", dirs);
    return env;
}

} // namespace

TEST(CompilerDiscovery, SupportedNamesKeepTheClassicOrderThenTodaysCompilers)
{
    EXPECT_EQ(CompilerDiscovery::supportedCompilerNames(),
              QStringList({"f77", "ifort", "f90", "f95", "gfortran", "mpif90", "mpif77", "mpifort",
                           "g95", "pgfortran", "nagfor", "caf", "ifx", "nvfortran", "flang-new",
                           "flang", "lfortran"}));
}

TEST(CompilerDiscovery, ReadsTheGccVersionLine)
{
    struct Case {
        const char *name;
        QString text;
        std::optional<double> version;
        bool old;
    };
    const Case cases[] = {
        {"gfortran 12 on Debian (pkgversion before the version line)",
         "Using built-in specs.\nCOLLECT_GCC=gfortran\nConfigured with: ../src/configure -v "
         "--with-pkgversion='Debian 12.2.0-14+deb12u1' --with-bugurl=file:///usr/share/doc\n"
         "Thread model: posix\nSupported LTO compression algorithms: zlib zstd\n"
         "gcc version 12.2.0 (Debian 12.2.0-14+deb12u1) \n",
         12.2, false},
        {"Apple gcc 4.2.1",
         "Target: i686-apple-darwin10\ngcc version 4.2.1 (Apple Inc. build 5666)\n", 4.2, true},
        {"4.5 is old", "gcc version 4.5 (GCC)\n", 4.5, true},
        {"4.6.0 is not old", "gcc version 4.6.0 (GCC)\n", 4.6, false},
        {"German locale: unreadable, so not old", "gcc-Version 12.2.0 (Debian 12.2.0-14)\n",
         std::nullopt, false},
        {"no text", "", std::nullopt, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto v = CompilerDiscovery::parseGccVersion(c.text);
        EXPECT_EQ(v, c.version);
        EXPECT_EQ(CompilerDiscovery::isOldVersion(v), c.old);
    }
}

TEST(CompilerDiscovery, ChecksTheInstalledGfortran)
{
    const auto v = CompilerDiscovery::gfortranVersion(
        *Unix::which("gfortran", QProcessEnvironment::systemEnvironment()),
        QProcessEnvironment::systemEnvironment());
    ASSERT_TRUE(v.has_value());
    EXPECT_GE(*v, 8.0);
}

TEST(CompilerDiscovery, FindsCompilersInOrderWithEscapedBlanks)
{
    QTemporaryDir dir;
    const QString a = dir.filePath("bin"), b = dir.filePath("my compilers");
    fakeCompiler(b + "/mpif90", "mpif90 wrapper");
    fakeCompiler(a + "/gfortran", "gcc version 12.2.0 (Debian)");
    QDir().mkpath(dir.filePath("ports"));
    corvane::test::writeFile(dir.filePath("ports/gfortran-mp-12"), "");
    corvane::test::writeFile(dir.filePath("ports/port"), "");

    Store store;
    RecordingPrompts prompts;
    const auto found = CompilerDiscovery::findCompilers(
        pathOnly(a + ":" + b), store.defaults, prompts, CompilerDiscovery::supportedCompilerNames(),
        dir.filePath("ports"));
    EXPECT_EQ(found.found,
              QStringList({a + "/gfortran\n", QString(b).replace(" ", "\\ ") + "/mpif90\n",
                           "gfortran-mp-12"}));
    EXPECT_EQ(found.gfortranEntry, a + "/gfortran\n");
    EXPECT_EQ(found.gfortranVersion, 12.2);
    EXPECT_FALSE(found.gFortranIsOldVersion);
    EXPECT_TRUE(prompts.alerts.isEmpty());
}

TEST(CompilerDiscovery, OldGfortranIsToldOnceBeforeTheFirstRun)
{
    QTemporaryDir dir;
    // A blank in the folder: the stored entry is escaped, the version check must still start it.
    const QString bin = dir.filePath("old gcc");
    fakeCompiler(bin + "/gfortran", "gcc version 4.2.1 (Apple Inc. build 5666)");
    for (const bool hasRunBefore : {false, true}) {
        SCOPED_TRACE(hasRunBefore);
        Store store;
        store.defaults.setValue("hasRunBefore", hasRunBefore);
        RecordingPrompts prompts;
        const auto found =
            CompilerDiscovery::findCompilers(pathOnly(bin), store.defaults, prompts, {"gfortran"});
        EXPECT_TRUE(found.gFortranIsOldVersion);
        EXPECT_EQ(prompts.alerts.size(), hasRunBefore ? 0 : 1);
        if (!hasRunBefore) {
            EXPECT_EQ(prompts.alerts.first(), "Your version of gfortran is out of date\nFor best "
                                              "performance install the latest version.");
        }
    }
}

TEST(CompilerDiscovery, SetupStoresListsAndOffersTheFirstChoiceOnce)
{
    Store store;
    Defaults &d = store.defaults;
    d.setValue("addedCompilersArrayKey", QStringList{"/opt/x/ifx"});
    auto first = CompilerDiscovery::doSetup({"/usr/bin/gfortran\n"}, d);
    EXPECT_TRUE(first.showFirstRunChoice);
    EXPECT_FALSE(first.showNoCompilerPanel);
    EXPECT_EQ(first.installed, QStringList({"/opt/x/ifx", "/usr/bin/gfortran\n"}));
    EXPECT_EQ(d.stringListValue("installedCompilers"), first.installed);
    EXPECT_TRUE(d.boolValue("hasRunBefore"));

    auto second = CompilerDiscovery::doSetup({"/usr/bin/gfortran\n", "/usr/bin/mpif90\n"}, d);
    EXPECT_FALSE(second.showFirstRunChoice);
    EXPECT_EQ(d.stringListValue("foundCompilersArrayKey"),
              QStringList({"/usr/bin/gfortran\n", "/usr/bin/mpif90\n"}));
    EXPECT_EQ(d.stringListValue("installedCompilers").size(), 3);

    Store empty;
    auto none = CompilerDiscovery::doSetup({}, empty.defaults);
    EXPECT_TRUE(none.showNoCompilerPanel);
    EXPECT_FALSE(empty.defaults.contains("installedCompilers"));
    EXPECT_FALSE(empty.defaults.boolValue("hasRunBefore"));
}

TEST(CompilerDiscovery, AddingAndRemovingCompilersByHand)
{
    Store store;
    Defaults &d = store.defaults;
    RecordingPrompts prompts;
    d.setValue("foundCompilersArrayKey", QStringList{"/usr/bin/gfortran\n"});
    // No added list: removing does nothing.
    d.setValue("compilerPath", "/usr/bin/gfortran\n");
    EXPECT_TRUE(CompilerDiscovery::removeSelectedCompilerManually(d, prompts));
    EXPECT_EQ(prompts.beeps, 0);

    CompilerDiscovery::addCompilerManually("/opt/a/ifx", d);
    CompilerDiscovery::addCompilerManually("/opt/b/nagfor", d);
    EXPECT_EQ(d.stringListValue("addedCompilersArrayKey"),
              QStringList({"/opt/b/nagfor", "/opt/a/ifx"}));
    EXPECT_EQ(d.stringListValue("installedCompilers"),
              QStringList({"/opt/b/nagfor", "/opt/a/ifx", "/usr/bin/gfortran\n"}));

    // A discovered compiler cannot be removed: beep, nothing changes.
    EXPECT_FALSE(CompilerDiscovery::removeSelectedCompilerManually(d, prompts));
    EXPECT_EQ(prompts.beeps, 1);
    EXPECT_EQ(d.stringListValue("installedCompilers").size(), 3);

    d.setValue("compilerPath", "/opt/b/nagfor");
    EXPECT_TRUE(CompilerDiscovery::removeSelectedCompilerManually(d, prompts));
    EXPECT_EQ(d.stringValue("compilerPath"), "/opt/a/ifx");
    d.setValue("compilerPath", "/opt/a/ifx");
    EXPECT_TRUE(CompilerDiscovery::removeSelectedCompilerManually(d, prompts));
    EXPECT_FALSE(d.contains("addedCompilersArrayKey"));
    EXPECT_EQ(d.stringListValue("installedCompilers"), QStringList({"/usr/bin/gfortran\n"}));
    EXPECT_EQ(d.stringValue("compilerPath"), "/usr/bin/gfortran\n");
}

TEST(CompilerDiscovery, LaunchFindsTheInstalledGfortranThroughTheChildEnvironment)
{
    Store store;
    RecordingPrompts prompts;
    // The application's own store: discovery reads "environmentVariables" and "hasRunBefore".
    Defaults::instance().setValue("environmentVariables", QVariantMap{{"PATH", "/nonexistent"}});
    const SetupOutcome outcome = CompilerDiscovery::discoverAtLaunch(store.defaults, prompts);
    Defaults::instance().remove("environmentVariables");
    const auto gfortran = Unix::which("gfortran", QProcessEnvironment::systemEnvironment());
    ASSERT_TRUE(gfortran.has_value());
    EXPECT_TRUE(outcome.installed.contains(*gfortran));
    EXPECT_FALSE(outcome.gFortranIsOldVersion); // gfortran 12 is current
    EXPECT_TRUE(outcome.showFirstRunChoice);
    EXPECT_TRUE(prompts.alerts.isEmpty());
}
