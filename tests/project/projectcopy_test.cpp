// A project folder copied or moved to another place: the copy opens, saves and points at its own
// files even while the original still exists; files outside the folder, older project files and a
// project opened where it was saved keep their stored paths.
#include "project/fileoperations.h"
#include "project/keyedarchive.h"
#include "project/mydocument.h"
#include "project/prompts.h"
#include "settings/defaults.h"
#include "support/testutil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextDocument>
#include <gtest/gtest.h>

using namespace corvane;

namespace
{

class ProjectCopyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        Defaults::instance().setValue("compilerPath", "gfortran");
        original = dir.filePath("orig/proj");
        outside = dir.filePath("shared/ext.f90");
        test::writeFile(outside, "module ext\nend module\n");
        // A project of sources in the folder and below it, an include folder, an input file, a
        // shelf, diagnostics, and one source outside the folder.
        for (const char *name : {"main.f90", "src/solver.f90", "inc/consts.inc", "input.txt"})
            test::writeFile(original + "/" + name, QByteArray("! original ") + name + "\n");
        MyDocument doc;
        doc.addFileNames({original + "/main.f90", original + "/src/solver.f90",
                          original + "/inc/consts.inc", outside},
                         false);
        doc.setIncludeFlags("\"" + original + "/inc\" /usr/include");
        doc.setInputFileName(original + "/input.txt");
        ErrorsDictionary errors;
        errors.insert(original + "/src/solver.f90",
                      {FindResult(original + "/src/solver.f90", "x = y", 3, 5)});
        doc.setWindowDataProvider([&] {
            return MyDocument::WindowData{
                {}, errors, QStringList{original + "/src/solver.f90", outside}, {}};
        });
        ASSERT_TRUE(doc.write(original + "/P.corvane").ok());
    }
    QVariantMap rootOf(const QString &file)
    {
        Result<QVariant> r = KeyedArchive::decode(test::readFile(file));
        EXPECT_TRUE(r.ok());
        return r ? r->toMap() : QVariantMap();
    }
    std::unique_ptr<MyDocument> open(const QString &file)
    {
        auto opened = MyDocument::open(file, prompts);
        EXPECT_TRUE(opened.ok()) << opened.error().toStdString();
        return opened ? std::move(*opened) : std::make_unique<MyDocument>();
    }
    QTemporaryDir dir;
    QString original, outside;
    RecordingPrompts prompts;
};

} // namespace

TEST_F(ProjectCopyTest, TheFileRecordsWhereItWasSavedAndEachPathRelativeToIt)
{
    const QVariantMap root = rootOf(original + "/P.corvane");
    EXPECT_EQ(root.value("savedDirectoryPath").toString(), original);
    // Index-aligned with "fileList" (sorted by name); "" for the file outside the folder.
    EXPECT_EQ(root.value("fileList").toString(),
              QStringList({original + "/inc/consts.inc", outside, original + "/main.f90",
                           original + "/src/solver.f90"})
                  .join('\n'));
    EXPECT_EQ(root.value("relativeFileList").toStringList(),
              (QStringList{"inc/consts.inc", "", "main.f90", "src/solver.f90"}));
    EXPECT_EQ(root.value("fileBookmarks").toList().size(), 4);
    EXPECT_EQ(root.value("relativeInputFileName").toString(), "input.txt");
    EXPECT_EQ(root.value("relativeBookmarkFilesForShelf").toStringList(),
              (QStringList{"src/solver.f90", ""}));
}

TEST_F(ProjectCopyTest, ACopyOpensAndSavesItsOwnFilesWhileTheOriginalStays)
{
    const QString copy = dir.filePath("variant/proj");
    ASSERT_EQ(test::copyFolder(original, copy), 5);
    std::unique_ptr<MyDocument> doc = open(copy + "/P.corvane");
    EXPECT_TRUE(prompts.alerts.isEmpty()) << prompts.alerts.join("|").toStdString();
    EXPECT_EQ(doc->fileNames(), (QStringList{copy + "/inc/consts.inc", outside, copy + "/main.f90",
                                             copy + "/src/solver.f90"}));
    EXPECT_EQ(doc->storedInputFileName(), copy + "/input.txt");
    EXPECT_EQ(doc->inputFileName(), copy + "/input.txt");
    EXPECT_EQ(doc->shelfFiles(), std::optional<QStringList>({copy + "/src/solver.f90", outside}));
    EXPECT_EQ(doc->includeFlags(), "\"" + copy + "/inc\" /usr/include");
    ASSERT_TRUE(doc->errorsDictionary().has_value());
    EXPECT_EQ(doc->errorsDictionary()->keys(), QStringList{copy + "/src/solver.f90"});
    EXPECT_EQ(doc->errorsDictionary()->values()[0][0].filePath, copy + "/src/solver.f90");
    EXPECT_EQ(doc->buildDirectoryPath(), copy + "/Build_Running");

    // Saving an edit writes the copy's source and leaves the original alone.
    FortranFile *solver = doc->fortranFileNamed(copy + "/src/solver.f90");
    ASSERT_NE(solver, nullptr);
    ASSERT_TRUE(solver->loadFile(prompts));
    solver->textStorage()->setPlainText("! edited in the copy\n");
    solver->setFileState(FortranFile::Modified);
    FileOperations ops(*doc, prompts);
    EXPECT_EQ(ops.saveFiles().size(), 1);
    EXPECT_EQ(test::readFile(copy + "/src/solver.f90"), "! edited in the copy\n");
    EXPECT_EQ(test::readFile(original + "/src/solver.f90"), "! original src/solver.f90\n");

    // Saved again, the copy's project file names the copy, and then opens as saved there.
    ASSERT_TRUE(doc->write(copy + "/P.corvane").ok());
    const QVariantMap root = rootOf(copy + "/P.corvane");
    EXPECT_EQ(root.value("savedDirectoryPath").toString(), copy);
    EXPECT_FALSE(root.value("fileList").toString().contains(original));
    EXPECT_FALSE(root.value("inputFileName").toString().contains(original));
    EXPECT_EQ(open(copy + "/P.corvane")->fileNames(), doc->fileNames());
    // The original still opens its own files.
    EXPECT_EQ(open(original + "/P.corvane")->fileNames()[0], original + "/inc/consts.inc");
}

TEST_F(ProjectCopyTest, AMovedFolderOpensWithNothingLeftBehind)
{
    const QString moved = dir.filePath("renamed");
    ASSERT_TRUE(QDir().rename(original, moved));
    std::unique_ptr<MyDocument> doc = open(moved + "/P.corvane");
    EXPECT_TRUE(prompts.alerts.isEmpty()) << prompts.alerts.join("|").toStdString();
    EXPECT_EQ(doc->fileNames(), (QStringList{moved + "/inc/consts.inc", outside,
                                             moved + "/main.f90", moved + "/src/solver.f90"}));
    EXPECT_EQ(doc->storedInputFileName(), moved + "/input.txt");
}

TEST_F(ProjectCopyTest, AFileMissingFromTheCopyFallsBackToItsStoredPath)
{
    const QString copy = dir.filePath("variant");
    test::copyFolder(original, copy);
    ASSERT_TRUE(QFile::remove(copy + "/main.f90"));
    ASSERT_TRUE(QFile::remove(copy + "/input.txt"));
    std::unique_ptr<MyDocument> doc = open(copy + "/P.corvane");
    EXPECT_TRUE(prompts.alerts.isEmpty());
    EXPECT_EQ(doc->fileNames(), (QStringList{copy + "/inc/consts.inc", outside,
                                             original + "/main.f90", copy + "/src/solver.f90"}));
    EXPECT_EQ(doc->storedInputFileName(), original + "/input.txt");
}

TEST_F(ProjectCopyTest, OlderFilesAndFilesOpenedWhereSavedKeepTheirStoredPaths)
{
    // Without the new keys (an older project file) a copy opens what the file names, as before.
    QVariantMap root = rootOf(original + "/P.corvane");
    for (const char *k : {"savedDirectoryPath", "relativeFileList", "relativeInputFileName",
                          "relativeBookmarkFilesForShelf"})
        ASSERT_EQ(root.remove(k), 1) << k;
    const Result<QByteArray> bytes = KeyedArchive::encode(root);
    ASSERT_TRUE(bytes.ok());
    test::writeFile(original + "/Old.corvane", *bytes);
    const QString copy = dir.filePath("variant");
    test::copyFolder(original, copy);
    std::unique_ptr<MyDocument> old = open(copy + "/Old.corvane");
    EXPECT_EQ(old->fileNames(), open(original + "/Old.corvane")->fileNames());
    EXPECT_EQ(old->fileNames()[0], original + "/inc/consts.inc");
    EXPECT_EQ(old->storedInputFileName(), original + "/input.txt");
    EXPECT_EQ(old->includeFlags(), "\"" + original + "/inc\" /usr/include");

    // Opened where it was saved, stored paths and bookmarks rule as before: a file moved inside
    // the folder is followed.
    ASSERT_TRUE(QFile::rename(original + "/main.f90", original + "/src/main.f90"));
    std::unique_ptr<MyDocument> same = open(original + "/P.corvane");
    EXPECT_EQ(same->fortranFileNamed(original + "/main.f90"), nullptr);
    EXPECT_NE(same->fortranFileNamed(original + "/src/main.f90"), nullptr);
    EXPECT_TRUE(prompts.alerts.isEmpty());
}
