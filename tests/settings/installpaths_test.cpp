// The share folder beside the executable, in an installed tree and in the build folder.
#include "settings/installpaths.h"

#include <gtest/gtest.h>

namespace corvane
{
namespace
{

TEST(InstallPaths, ShareFolderIsBesideTheExecutablesFolder)
{
    struct Case {
        const char *executableDir;
        const char *relative;
        const char *expected;
    };
    const Case cases[] = {
        {"/usr/bin", "doc/corvane/README.md", "/usr/share/doc/corvane/README.md"},
        {"/usr/local/bin/", "icons/hicolor/48x48/apps/corvane.png",
         "/usr/local/share/icons/hicolor/48x48/apps/corvane.png"},
        // The build folder: build/src/corvane and build/tests/*_tests share build/share.
        {"/home/u/corvane/build/dev/src", "doc/corvane/README.md",
         "/home/u/corvane/build/dev/share/doc/corvane/README.md"},
        {"/home/u/corvane/build/dev/tests", "man/man1/corvane.1",
         "/home/u/corvane/build/dev/share/man/man1/corvane.1"},
        // A relocated tree with odd folder names.
        {"/tmp/a b/./x/../bin", "metainfo/m.xml", "/tmp/a b/share/metainfo/m.xml"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(sharePathFrom(c.executableDir, c.relative), QString(c.expected))
            << c.executableDir << " " << c.relative;
}

TEST(InstallPaths, MissingFileGivesNullPath)
{
    EXPECT_TRUE(installedSharePath("corvane/no-such-file").isNull());
}

} // namespace
} // namespace corvane
