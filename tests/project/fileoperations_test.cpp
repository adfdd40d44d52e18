// File operations of a project on real files: adding by folder and by drop, new files from the
// header template, saving (including a write that fails), the Makefile, exports and the external
// editor hand-over.
#include "project/fileoperations.h"
#include "project/fortranfile.h"
#include "project/mydocument.h"
#include "project/prompts.h"
#include "settings/defaults.h"
#include "settings/settingskeys.h"
#include "support/testutil.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextDocument>
#include <gtest/gtest.h>

#include <sys/resource.h>

using namespace corvane;

namespace
{

QStringList fileNamesOf(const MyDocument &doc)
{
    QStringList names;
    for (const auto &f : doc.projectFiles())
        names << QFileInfo(f->filePath()).fileName();
    return names;
}

// Loads the file's text and edits it, as the editor would.
void edit(FortranFile &file, const QString &text)
{
    RecordingPrompts prompts;
    ASSERT_TRUE(file.loadFile(prompts));
    file.textStorage()->setPlainText(text);
    file.setFileState(FortranFile::Modified);
}

struct CountingReindexer : Reindexer {
    bool indexing = false;
    QStringList reindexed;
    bool isIndexing() const override { return indexing; }
    void reindexFiles(const QList<std::shared_ptr<FortranFile>> &files) override
    {
        for (const auto &f : files)
            reindexed << QFileInfo(f->filePath()).fileName();
    }
};

} // namespace

TEST(FileOperations, AddingByFolderAndByDrop)
{
    QTemporaryDir dir;
    for (const char *name : {"src/a.f90", "src/B.F", "src/c.inc", "src/d.h", "src/readme",
                             "src/.hidden/e.f90", "src/x.c"})
        test::writeFile(dir.filePath(name), "! x\n");
    MyDocument doc;
    RecordingPrompts prompts;
    FileOperations ops(doc, prompts);

    // The open panel takes "f…" then "i…" extensions: headers are not added this way.
    EXPECT_EQ(ops.openFiles({dir.filePath("src")}), 3);
    EXPECT_EQ(fileNamesOf(doc), QStringList({"a.f90", "B.F", "c.inc"}));
    EXPECT_TRUE(doc.includeFlags().contains('"' + dir.filePath("src") + '"'));

    // Dropping takes headers too; known files are skipped.
    EXPECT_EQ(ops.dropFiles({dir.filePath("src")}), 1);
    EXPECT_EQ(fileNamesOf(doc), QStringList({"a.f90", "B.F", "c.inc", "d.h"}));
    EXPECT_EQ(ops.dropFiles({dir.filePath("src/a.f90")}), 0);
}

TEST(FileOperations, NewFileFromTheHeaderTemplate)
{
    EXPECT_EQ(FileOperations::fileHeaderFor("<Name> <Name> <Filename> <Date>", "a.f90", "Ada",
                                            QDateTime(QDate(2026, 12, 8), QTime(9, 5)))
                  .left(16),
              QString("Ada <Name> a.f90"))
        << "only the first occurrence of a placeholder is filled";

    QTemporaryDir dir;
    Defaults::instance().setValue(keys::defaultFileExtension, "");
    MyDocument doc;
    RecordingPrompts prompts;
    FileOperations ops(doc, prompts);
    const auto created = ops.createNewFortranFile(dir.filePath("Untitled"));
    Defaults::instance().remove(keys::defaultFileExtension);
    ASSERT_TRUE(created.has_value());
    EXPECT_EQ(*created, dir.filePath("Untitled.f90"));
    const QString text = QString::fromUtf8(test::readFile(*created));
    EXPECT_TRUE(text.contains("Untitled.f90")) << text.toStdString();
    EXPECT_FALSE(text.contains("<Filename>"));
    EXPECT_EQ(fileNamesOf(doc), QStringList{"Untitled.f90"});
}

TEST(FileOperations, SavingWritesModifiedSourcesAndReindexes)
{
    QTemporaryDir dir;
    test::writeFile(dir.filePath("a.f90"), "program a\nend\n");
    test::writeFile(dir.filePath("b.f90"), "module b\nend module\n");
    test::writeFile(dir.filePath("c.f90"), "module c\nend module\n");
    MyDocument doc;
    doc.addFileNames({dir.filePath("a.f90"), dir.filePath("b.f90"), dir.filePath("c.f90")}, false);
    RecordingPrompts prompts;
    CountingReindexer indexer;
    FileOperations ops(doc, prompts);
    ops.setReindexer(&indexer);

    EXPECT_FALSE(ops.filesNeedSaving());
    edit(*doc.projectFiles()[0], "program a2\nend\n");
    edit(*doc.projectFiles()[1], "module b2\nend module\n");
    ASSERT_TRUE(ops.filesNeedSaving());

    const auto saved = ops.saveFiles();
    EXPECT_EQ(saved.size(), 2);
    EXPECT_EQ(test::readFile(dir.filePath("a.f90")), "program a2\nend\n");
    EXPECT_EQ(test::readFile(dir.filePath("b.f90")), "module b2\nend module\n");
    EXPECT_FALSE(ops.filesNeedSaving());
    EXPECT_TRUE(doc.lastBatchSaveTime().isValid());
    EXPECT_EQ(indexer.reindexed, QStringList({"a.f90", "b.f90"}));

    // Time stamps are refreshed a second later.
    doc.projectFiles()[0]->setTimeStamp(QDateTime::fromSecsSinceEpoch(0));
    QElapsedTimer t;
    t.start();
    const QDateTime onDisk = QFileInfo(dir.filePath("a.f90")).lastModified();
    while (doc.projectFiles()[0]->timeStamp() != onDisk && t.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(doc.projectFiles()[0]->timeStamp(), onDisk);

    // While indexing runs a save only beeps instead of re-indexing.
    indexer.indexing = true;
    indexer.reindexed.clear();
    edit(*doc.projectFiles()[2], "module c2\nend module\n");
    ops.saveFiles();
    EXPECT_TRUE(indexer.reindexed.isEmpty());
    EXPECT_EQ(prompts.beeps, 1);
}

TEST(FileOperations, AFailedWriteKeepsTheEdits)
{
    QTemporaryDir dir;
    test::writeFile(dir.filePath("a.f90"), "program a\nend\n");
    MyDocument doc;
    doc.addFileNames({dir.filePath("a.f90")}, false);
    RecordingPrompts prompts;
    FileOperations ops(doc, prompts);
    FortranFile &file = *doc.projectFiles()[0];
    edit(file, QString("program big\n") + QString(4096, 'x') + "\nend\n");

    // A file-size limit makes the write fail the way a full disk does (SIGXFSZ ignored).
    signal(SIGXFSZ, SIG_IGN);
    rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 1024;
    setrlimit(RLIMIT_FSIZE, &small);
    const auto saved = ops.saveFiles();
    setrlimit(RLIMIT_FSIZE, &old);

    EXPECT_TRUE(saved.isEmpty());
    EXPECT_EQ(file.fileState(), FortranFile::Modified) << "a failed write must not mark it saved";
    EXPECT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(file.text().startsWith("program big")) << "the edits are still in the editor";
    EXPECT_TRUE(ops.filesNeedSaving());
}

TEST(FileOperations, SaveQuestionOnlyWithoutAutoSave)
{
    QTemporaryDir dir;
    test::writeFile(dir.filePath("a.f90"), "program a\nend\n");
    MyDocument doc;
    doc.addFileNames({dir.filePath("a.f90")}, false);
    RecordingPrompts prompts(1); // "No"
    FileOperations ops(doc, prompts);
    edit(*doc.projectFiles()[0], "program changed\nend\n");

    Defaults::instance().setValue(keys::autoSaveFiles, false);
    ops.saveFilesIfRequested();
    Defaults::instance().remove(keys::autoSaveFiles);
    ASSERT_EQ(prompts.asked.size(), 1);
    EXPECT_TRUE(prompts.asked[0].startsWith("Do you want to save your Fortran files"));
    EXPECT_EQ(test::readFile(dir.filePath("a.f90")), "program a\nend\n") << "No keeps the old file";

    ops.saveFilesIfRequested(); // autoSaveFiles is on by default: saved without a question
    EXPECT_EQ(prompts.asked.size(), 1);
    EXPECT_EQ(test::readFile(dir.filePath("a.f90")), "program changed\nend\n");
}

TEST(FileOperations, LostAndMovedSources)
{
    QTemporaryDir dir;
    test::writeFile(dir.filePath("a.f90"), "program a\nend\n");
    test::writeFile(dir.filePath("gone.f90"), "module g\nend module\n");
    MyDocument doc;
    doc.setFileName(dir.filePath("Proj.corvane"));
    doc.addFileNames({dir.filePath("a.f90"), dir.filePath("gone.f90")}, false);
    ASSERT_TRUE(QDir().mkpath(dir.filePath("moved")));
    ASSERT_TRUE(QFile::rename(dir.filePath("a.f90"), dir.filePath("moved/a.f90")));
    ASSERT_TRUE(QFile::remove(dir.filePath("gone.f90")));
    RecordingPrompts prompts;
    FileOperations ops(doc, prompts);
    ops.checkSourceFilesExistence();
    EXPECT_EQ(doc.projectFiles()[0]->filePath(), dir.filePath("moved/a.f90"));
    EXPECT_EQ(doc.projectFiles()[1]->fileState(), FortranFile::Lost);
    ASSERT_EQ(doc.projectFiles().size(), 2) << "lost files stay listed";

    // A lost file only beeps when handed to an external editor.
    QStringList launched;
    ops.setLauncher([&](const QString &p, const QStringList &a) {
        launched << p + " " + a.join(' ');
        return true;
    });
    EXPECT_FALSE(ops.editFile(1));
    EXPECT_EQ(prompts.beeps, 1);
    EXPECT_TRUE(ops.editFile(0));
    ASSERT_EQ(launched.size(), 1);
    EXPECT_TRUE(launched[0].endsWith("--edit " + dir.filePath("moved/a.f90")));
}

TEST(FileOperations, ExportsAndMakefile)
{
    QTemporaryDir dir;
    MyDocument doc;
    doc.setFileName(dir.filePath("Proj.corvane"));
    RecordingPrompts prompts;
    FileOperations ops(doc, prompts);

    EXPECT_FALSE(ops.exportNotes(dir.filePath("Notes.txt")));
    EXPECT_FALSE(QFile::exists(dir.filePath("Notes.txt"))) << "no notes, no file";
    doc.addNote(CorvaneNote{QDateTime::currentDateTime(), "Head", "Body"});
    EXPECT_TRUE(ops.exportNotes(dir.filePath("Notes.txt")));
    EXPECT_TRUE(test::readFile(dir.filePath("Notes.txt")).contains("Head"));
    // An export that cannot be written is reported (we had this fault: errors were ignored).
    EXPECT_FALSE(ops.exportNotes(dir.filePath("no/such/folder/Notes.txt")));
    EXPECT_EQ(prompts.errors.size(), 1);

    EXPECT_TRUE(ops.saveConsole(dir.filePath("Console.txt"), ""));
    EXPECT_EQ(test::readFile(dir.filePath("Console.txt")), " ");

    EXPECT_FALSE(ops.saveMakefile()) << "no Makefile text yet";
    doc.setMakeFile("all:\n");
    ASSERT_TRUE(ops.saveMakefile());
    EXPECT_EQ(doc.pathToMakefile(), QDir(doc.buildDirectoryPath()).filePath("Proj.mak"));
    EXPECT_EQ(test::readFile(doc.pathToMakefile()), "all:\n");
}
