// Paths of a project folder that was copied or moved: what counts as inside the folder, when a
// project counts as moved, and how include directories follow the copy.
#include "project/projectlocation.h"
#include "support/testutil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace corvane;

TEST(ProjectLocation, RelativeInsideTheFolderOnly)
{
    const struct {
        const char *directory;
        const char *path;
        std::optional<QString> want;
    } cases[] = {
        {"/w/proj", "/w/proj/a.f90", QString("a.f90")},
        {"/w/proj/", "/w/proj/src/deep/a.f90", QString("src/deep/a.f90")},
        {"/w/proj", "/w/proj/./src/../b.f90", QString("b.f90")},
        {"/w/proj", "/w/proj", std::nullopt},             // the folder itself
        {"/w/proj", "/w/proj2/a.f90", std::nullopt},      // a sibling sharing the name's start
        {"/w/proj", "/w/proj/../other/a.f90", std::nullopt},
        {"/w/proj", "/elsewhere/a.f90", std::nullopt},
        {"/", "/a.f90", QString("a.f90")},
        {"", "/w/a.f90", std::nullopt},
        {"/w/proj", "", std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.directory) + " | " + c.path);
        EXPECT_EQ(ProjectLocation::relativeInside(c.directory, c.path), c.want);
    }
    EXPECT_EQ(ProjectLocation::relativeEntries("/w/proj", {"/w/proj/a.f90", "/lib/b.f90"}),
              (QStringList{"a.f90", ""}));
}

TEST(ProjectLocation, ALinkedFolderIsTheSameFolder)
{
    QTemporaryDir dir;
    const QString real = dir.filePath("real");
    test::writeFile(real + "/src/a.f90", "end\n");
    ASSERT_TRUE(QFile::link(real, dir.filePath("link")));
    // The project reached through the link, its file through the real path: still inside.
    EXPECT_EQ(ProjectLocation::relativeInside(dir.filePath("link"), real + "/src/a.f90"),
              std::optional<QString>("src/a.f90"));
    EXPECT_FALSE(ProjectLocation(real, dir.filePath("link")).isMoved());
    EXPECT_FALSE(ProjectLocation(real + "/", real).isMoved());
    EXPECT_FALSE(ProjectLocation(QString(), real).isMoved()); // older files: never moved
    EXPECT_TRUE(ProjectLocation(dir.filePath("gone"), real).isMoved());
}

TEST(ProjectLocation, RelocatesOnlyFilesThatExistInsideTheNewFolder)
{
    QTemporaryDir dir;
    const QString copy = dir.filePath("copy");
    test::writeFile(copy + "/src/a.f90", "end\n");
    test::writeFile(dir.filePath("secret.f90"), "end\n");
    const ProjectLocation moved("/old/proj", copy);
    ASSERT_TRUE(moved.isMoved());
    EXPECT_EQ(moved.relocated("src/a.f90"), std::optional<QString>(copy + "/src/a.f90"));
    EXPECT_EQ(moved.relocatedPath("/old/proj/src/a.f90"),
              std::optional<QString>(copy + "/src/a.f90"));
    for (const char *refused : {"", "src/none.f90", "src", "../secret.f90", "src/../../secret.f90",
                                "/old/proj/src/a.f90"}) {
        SCOPED_TRACE(refused);
        EXPECT_EQ(moved.relocated(refused), std::nullopt);
    }
    EXPECT_EQ(moved.relocatedPath("/old/projx/src/a.f90"), std::nullopt);
    EXPECT_EQ(moved.relocatedPath("/other/src/a.f90"), std::nullopt);
    const ProjectLocation same(copy, copy);
    EXPECT_EQ(same.relocated("src/a.f90"), std::nullopt); // opened where saved: stored paths win

    EXPECT_EQ(moved.relocatedList({"/old/proj/src/a.f90", "/lib/x.f90"}, {"src/a.f90", ""}),
              (QStringList{copy + "/src/a.f90", "/lib/x.f90"}));
    EXPECT_EQ(moved.relocatedList({"/old/proj/src/a.f90"}, {}), // not aligned: as stored
              (QStringList{"/old/proj/src/a.f90"}));
}

TEST(ProjectLocation, IncludeDirectoriesFollowTheCopy)
{
    QTemporaryDir dir;
    const QString copy = dir.filePath("copy");
    const QString blank = dir.filePath("with blank");
    for (const QString &d : {copy + "/inc", copy + "/inc dir", blank + "/inc"})
        ASSERT_TRUE(QDir().mkpath(d));
    const ProjectLocation moved("/old/proj", copy);
    const struct {
        const char *name;
        QString flags;
        QString want;
        const ProjectLocation *location;
    } cases[] = {
        {"quoted", "\"/old/proj/inc\" ", '"' + copy + "/inc\" ", &moved},
        {"quoted with a blank", "/opt/x \"/old/proj/inc dir\"", "/opt/x \"" + copy + "/inc dir\"",
         &moved},
        {"unquoted, several", "/old/proj/inc /usr/include /old/proj",
         copy + "/inc /usr/include " + copy, &moved},
        {"a sibling folder", "/old/proj2/inc", "/old/proj2/inc", &moved},
        {"not in the copy", "\"/old/proj/gone\" /old/proj/inc", "\"/old/proj/gone\" " + copy + "/inc",
         &moved},
        {"a longer path that merely contains it", "/x/old/proj/inc", "/x/old/proj/inc", &moved},
        {"empty", "", "", &moved},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.location->relocatedIncludeFlags(c.flags), c.want);
    }
    // A new folder with a blank keeps an unquoted directory in one piece.
    EXPECT_EQ(ProjectLocation("/old/proj", blank).relocatedIncludeFlags("-x /old/proj/inc"),
              "-x \"" + blank + "/inc\"");
    EXPECT_EQ(ProjectLocation(copy, copy).relocatedIncludeFlags("\"/old/proj/inc\""),
              "\"/old/proj/inc\"");
}
