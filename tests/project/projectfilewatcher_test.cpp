// The open project's own file watched on disk: changes by other programs are told once each,
// the document's own saves never.
#include "project/mydocument.h"
#include "project/projectfilewatcher.h"
#include "project/prompts.h"
#include "support/testutil.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace
{

struct Watched {
    QTemporaryDir dir;
    QString path = dir.filePath("W.corvane");
    MyDocument doc;
    std::unique_ptr<ProjectFileWatcher> watcher;
    std::unique_ptr<QSignalSpy> told;

    Watched()
    {
        writeFile(dir.filePath("a.f90"), "program a\nend program a\n");
        doc.addFileNames({dir.filePath("a.f90")}, false);
        EXPECT_TRUE(doc.write(path).ok());
        watcher = std::make_unique<ProjectFileWatcher>(&doc);
        told = std::make_unique<QSignalSpy>(watcher.get(), &ProjectFileWatcher::changedOnDisk);
    }
    // Another program saves the project with one more file.
    void otherProgramAdds(const QString &name, bool byRename)
    {
        RecordingPrompts prompts;
        auto other = MyDocument::open(path, prompts);
        ASSERT_TRUE(other.ok());
        writeFile(dir.filePath(name), "module m\nend module m\n");
        (*other)->addFileNames({dir.filePath(name)}, false);
        const QString fresh = dir.filePath("tmp.corvane");
        ASSERT_TRUE((*other)->write(fresh).ok());
        if (byRename) {
            ASSERT_TRUE(::rename(QFile::encodeName(fresh).constData(),
                                 QFile::encodeName(path).constData()) == 0);
        } else {
            QFile f(path); // the same file, overwritten where it is
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(readFile(fresh));
            QFile::remove(fresh);
        }
    }
    // Waits past the settling time for what is told.
    int toldAfterWait(int ms = 3 * ProjectFileWatcher::kSettleMs + 300)
    {
        QTest::qWait(ms);
        return int(told->count());
    }
};

} // namespace

TEST(ProjectFileWatcher, ChangesByAnotherProgramAreToldOnceEach)
{
    for (const bool byRename : {false, true}) {
        SCOPED_TRACE(byRename ? "saved by a rename" : "written in place");
        Watched w;
        ASSERT_TRUE(w.watcher->watchedPaths().contains(w.path));
        w.otherProgramAdds("b.f90", byRename);
        EXPECT_TRUE(QTest::qWaitFor([&] { return w.told->count() == 1; }, 3000));
        EXPECT_EQ(w.toldAfterWait(), 1) << "one change, one notice";
        // The same state is not told again, however often it is looked at.
        w.watcher->check();
        EXPECT_EQ(w.told->count(), 1);
        // Still watched after a replacement: a further change is told too.
        w.otherProgramAdds("c.f90", byRename);
        EXPECT_TRUE(QTest::qWaitFor([&] { return w.told->count() == 2; }, 3000));
        EXPECT_TRUE(w.watcher->watchedPaths().contains(w.path));
    }
}

TEST(ProjectFileWatcher, TheDocumentsOwnSavesAndOtherFilesAreNotTold)
{
    Watched w;
    w.doc.setCommandLineArguments("x");
    ASSERT_TRUE(w.doc.write(w.path).ok());
    writeFile(w.dir.filePath("notes.txt"), "beside the project\n");
    EXPECT_EQ(w.toldAfterWait(), 0);
    // After the document saved over another program's change, that change is settled.
    w.otherProgramAdds("b.f90", true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.told->count() == 1; }, 3000));
    ASSERT_TRUE(w.doc.write(w.path).ok());
    EXPECT_EQ(w.toldAfterWait(), 1);
    EXPECT_FALSE(w.doc.projectFileChangedOnDisk());
}

TEST(ProjectFileWatcher, FollowsTheDocumentToItsNewFile)
{
    QTemporaryDir dir;
    MyDocument doc;
    ProjectFileWatcher watcher(&doc);
    QSignalSpy told(&watcher, &ProjectFileWatcher::changedOnDisk);
    EXPECT_TRUE(watcher.watchedPaths().isEmpty()) << "an unsaved project has no file";
    const QString path = dir.filePath("N.corvane");
    ASSERT_TRUE(doc.write(path).ok());
    watcher.watchDocumentFile();
    EXPECT_TRUE(watcher.watchedPaths().contains(path));
    writeFile(path, QByteArray("not a project any more"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return told.count() == 1; }, 3000));
}
