#include "build/makefilegenerator.h"
#include "build/modulefilelookup.h"
#include "project/mydocument.h"
#include "settings/defaults.h"
#include "support/testutil.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace corvane
{
namespace
{

TEST(MakefileGeneratorDocument, ReadsTheActiveConfiguration)
{
    MyDocument document;
    document.setFileName("/w/My Demo.corvane");
    document.setDebugCompilerFlags("-g");
    document.setReleaseCompilerFlags("-O2");
    document.setDebugLinkerFlags("-lg");
    document.setIncludeFlags("\"/w/inc\"");
    struct Case {
        bool debug;
        std::optional<bool> library;
        MakefileSettings want;
    };
    const Case cases[] = {
        {true,
         std::nullopt,
         {"-g",
          "-lg",
          "\"/w/inc\"",
          {"inc", "hpp", "h"},
          false,
          "MyDemoTesting",
          "libMyDemoTesting.a",
          "/w",
          "/w/Build_Testing"}},
        {false,
         true,
         {"",
          QString(),
          "\"/w/inc\"",
          {"inc", "hpp", "h"},
          true,
          "MyDemoRunning",
          "libMyDemoRunning.a",
          "/w",
          "/w/Build_Running"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.debug);
        document.setIsDebugBuild(c.debug);
        document.setCompileForLibrary(c.library);
        const MakefileSettings got = MakefileGenerator::initWithDocument(document).settings();
        EXPECT_EQ(got.compilerFlags, c.debug ? QString("-g") : QString("-O2"));
        EXPECT_EQ(got.linkerFlags, c.want.linkerFlags);
        EXPECT_EQ(got.linkerFlags.isNull(), c.want.linkerFlags.isNull());
        EXPECT_EQ(got.includeFlags, c.want.includeFlags);
        EXPECT_EQ(got.includeExtensions, c.want.includeExtensions);
        EXPECT_EQ(got.compileForLibrary, c.want.compileForLibrary);
        EXPECT_EQ(got.executableName, c.want.executableName);
        EXPECT_EQ(got.libraryName, c.want.libraryName);
        EXPECT_EQ(got.docDirectoryPath, c.want.docDirectoryPath);
        EXPECT_EQ(got.buildDirectoryPath, c.want.buildDirectoryPath);
        EXPECT_TRUE(got.moduleAwareRebuilds);
    }
    document.setModuleAwareRebuilds(false);
    EXPECT_FALSE(MakefileGenerator::initWithDocument(document).settings().moduleAwareRebuilds);
    EXPECT_TRUE(document.needsFullRecompile()) << "the other scheme's stamps are not there";
}

TEST(MakefileGeneratorDocument, ModuleLookupUsesEnvironmentVariablesSetting)
{
    QTemporaryDir dir;
    test::writeFile(dir.path() + "/proj/Build_Testing/built.mod", "");
    test::writeFile(dir.path() + "/netcdf/include/netcdf.mod", "");
    MyDocument document;
    document.setFileName(dir.path() + "/proj/Demo.corvane");
    document.setIsDebugBuild(true);
    document.setIncludeFlags("$(NETCDF)/include");
    Defaults &defaults = Defaults::instance();
    defaults.setValue("environmentVariables", QVariantMap{{"NETCDF", dir.path() + "/netcdf"}});
    EXPECT_TRUE(moduleFileExistsFor(document, "built"));
    EXPECT_TRUE(moduleFileExistsFor(document, "netcdf"));
    EXPECT_FALSE(moduleFileExistsFor(document, "missing"));
    defaults.setValue("environmentVariables", QVariantMap{});
    EXPECT_FALSE(moduleFileExistsFor(document, "netcdf"));
    defaults.remove("environmentVariables");
}

} // namespace
} // namespace corvane
