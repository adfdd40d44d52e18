// Bookmarks find a file again after a rename, a move inside the project folder and a fresh
// checkout of the project in another folder.
#include "project/bookmark.h"
#include "support/testutil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace corvane;

TEST(Bookmark, FindsRenamedMovedAndReclonedFiles)
{
    QTemporaryDir dir;
    const QString root = dir.path() + "/proj";
    test::writeFile(root + "/src/a.f90", "x\n");
    const QByteArray mark = Bookmark::create(root + "/src/a.f90");
    ASSERT_FALSE(mark.isEmpty());
    EXPECT_EQ(Bookmark::resolve(mark, root), root + "/src/a.f90");

    ASSERT_TRUE(QFile::rename(root + "/src/a.f90", root + "/src/renamed.f90"));
    EXPECT_EQ(Bookmark::resolve(mark), root + "/src/renamed.f90"); // same folder: no root needed

    QDir().mkpath(root + "/deep/er");
    ASSERT_TRUE(QFile::rename(root + "/src/renamed.f90", root + "/deep/er/moved.f90"));
    EXPECT_EQ(Bookmark::resolve(mark), std::nullopt);
    EXPECT_EQ(Bookmark::resolve(mark, root), root + "/deep/er/moved.f90");

    // A copy of the project elsewhere: new inodes, same layout.
    const QString clone = dir.path() + "/elsewhere/proj";
    test::writeFile(clone + "/src/a.f90", "x\n");
    test::writeFile(clone + "/a.f90", "another file of the same name\n");
    QFile::remove(root + "/deep/er/moved.f90");
    EXPECT_EQ(Bookmark::resolve(mark, clone), clone + "/src/a.f90"); // the longest tail wins
    EXPECT_EQ(Bookmark::resolve(mark, dir.path() + "/nowhere"), std::nullopt);
}

TEST(Bookmark, RefusesGarbageAndMissingFiles)
{
    for (const QByteArray &bytes :
         {QByteArray(), QByteArray("garbage"), QByteArray("CVBK1\n"), QByteArray("CVBK1\n1 2"),
          QByteArray("CVBK1\nx y\n/tmp"), QByteArray("CVBK1\n1 2 3\n/tmp")}) {
        SCOPED_TRACE(bytes.toStdString());
        EXPECT_FALSE(Bookmark::parse(bytes).has_value());
        EXPECT_EQ(Bookmark::resolve(bytes, "/tmp"), std::nullopt);
    }
    EXPECT_TRUE(Bookmark::create("/no/such/file.f90").isEmpty());
    EXPECT_EQ(Bookmark::expandTilde("~/x.f90"), QDir::homePath() + "/x.f90");
    EXPECT_EQ(Bookmark::expandTilde("/a/~/b"), "/a/~/b");
}
