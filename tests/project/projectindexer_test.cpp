// Background indexing of a real project folder: whole-project runs, unsaved editor text, the
// re-index after a save, the isIndexing guard, progress for long runs, file decoding, unreadable
// files, circular use, and a stress run that reads published snapshots while re-indexing.
#include "project/projectindexer.h"

#include "project/fileoperations.h"
#include "project/fortranfile.h"
#include "project/mydocument.h"
#include "project/prompts.h"
#include "support/testutil.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextDocument>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace corvane;
using ::testing::ElementsAre;

namespace
{

class IndexerTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    MyDocument document;
    RecordingPrompts prompts;
    ProjectIndexer indexer{document, prompts};

    QString path(const QString &name) const { return dir.filePath(name); }
    void add(std::initializer_list<std::pair<QString, QByteArray>> files)
    {
        QStringList paths;
        for (const auto &[name, text] : files) {
            test::writeFile(path(name), text);
            paths << path(name);
        }
        document.addFileNames(paths, false);
    }
    // Runs the whole project and waits for the snapshot.
    void indexAll()
    {
        QSignalSpy published(&indexer, &ProjectIndexer::indexPublished);
        ASSERT_TRUE(indexer.generateAllProcedureCompletions());
        EXPECT_TRUE(indexer.isIndexing());
        ASSERT_TRUE(published.wait(20000));
        EXPECT_FALSE(indexer.isIndexing());
    }
    std::shared_ptr<const ProjectIndex> index() const { return document.projectIndex(); }
    FortranFile *file(const QString &name) const { return document.fortranFileNamed(path(name)); }
    QStringList names(const QStringList &paths) const
    {
        QStringList l;
        for (const QString &p : paths)
            l << QFileInfo(p).fileName();
        return l;
    }
};

const std::initializer_list<std::pair<QString, QByteArray>> kChain = {
    {"a1.f90", "module m1\n use m2\nend module\n"},
    {"b2.f90", "module m2\n use m3\nend module\n"},
    {"c3.f90", "module m3\n integer :: k\nend module\n"},
    {"d4.f90", "subroutine lone(x)\n real :: x\nend subroutine\n"},
    {"notes.inc", "module hidden\nend module\n"},
};

} // namespace

TEST_F(IndexerTest, WholeProjectPublishesSnapshotAndDependants)
{
    add(kChain);
    indexAll();
    ASSERT_TRUE(index());
    EXPECT_EQ(index()->projectModulesDictionary.keys(), QStringList({"m1", "m2", "m3"}));
    EXPECT_EQ(names(indexer.lastParsedPaths()),
              QStringList({"a1.f90", "b2.f90", "c3.f90", "d4.f90"}));
    // Each file records the files that use its modules directly; saving follows them further.
    EXPECT_EQ(file("c3.f90")->dependentFileNames(), QStringList{path("b2.f90")});
    EXPECT_EQ(file("b2.f90")->dependentFileNames(), QStringList{path("a1.f90")});
    EXPECT_TRUE(file("a1.f90")->dependentFileNames().isEmpty());
    // Indexing again adds nothing twice to what the records hold.
    indexAll();
    EXPECT_EQ(file("c3.f90")->dependentFileNames(), QStringList{path("b2.f90")});
    // Each record now carries the merged declarations of the snapshot.
    ASSERT_TRUE(file("a1.f90")->declarations());
    EXPECT_EQ(file("a1.f90")->declarations()->moduleNamed("m1"),
              index()->projectModulesDictionary.value("m1"));
    EXPECT_TRUE(prompts.alerts.isEmpty());
}

TEST_F(IndexerTest, SaveReindexesSavedFileAndDependantsOnly)
{
    add(kChain);
    indexAll();
    const auto before = index();
    struct Case {
        const char *saved;
        QStringList want;
    } cases[] = {
        {"c3.f90", {"a1.f90", "b2.f90", "c3.f90"}},
        {"b2.f90", {"a1.f90", "b2.f90"}},
        {"d4.f90", {"d4.f90"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.saved);
        FortranFile *f = file(c.saved);
        auto doc = std::make_unique<QTextDocument>();
        doc->setPlainText(QString::fromUtf8(test::readFile(f->filePath())) + "module added_" +
                          QFileInfo(c.saved).baseName() + "\nend module\n");
        f->setTextStorage(std::move(doc));
        f->setFileState(FortranFile::Modified);

        FileOperations ops(document, prompts);
        ops.setReindexer(&indexer);
        QSignalSpy published(&indexer, &ProjectIndexer::indexPublished);
        ASSERT_EQ(ops.saveFiles().size(), 1);
        ASSERT_TRUE(published.wait(20000));
        EXPECT_EQ(names(indexer.lastParsedPaths()), c.want);
        // Fresh results for the saved file, the previous ones for every other file.
        EXPECT_TRUE(
            index()->projectModulesDictionary.contains("added_" + QFileInfo(c.saved).baseName()));
        EXPECT_TRUE(index()->projectModulesDictionary.contains("m1"));
        EXPECT_TRUE(index()->projectGlobalProceduresDictionary.contains("lone"));
    }
    EXPECT_NE(index(), before);
}

TEST_F(IndexerTest, UnsavedEditorTextIsIndexed)
{
    add({{"a.f90", "module on_disk\nend module\n"}});
    auto doc = std::make_unique<QTextDocument>();
    doc->setPlainText("module in_editor\nend module\n");
    file("a.f90")->setTextStorage(std::move(doc));
    indexAll();
    EXPECT_EQ(index()->projectModulesDictionary.keys(), QStringList({"in_editor"}));
}

TEST_F(IndexerTest, GuardBeepsWhileIndexing)
{
    add(kChain);
    QSignalSpy published(&indexer, &ProjectIndexer::indexPublished);
    ASSERT_TRUE(indexer.generateAllProcedureCompletions());
    EXPECT_FALSE(indexer.generateAllProcedureCompletions());
    indexer.reindexFiles({document.projectFiles().first()});
    EXPECT_EQ(prompts.beeps, 1);
    ASSERT_TRUE(published.wait(20000));
    EXPECT_FALSE(published.wait(300)); // the refused runs did not start later
    EXPECT_EQ(published.count(), 1);
    EXPECT_EQ(indexer.lastParsedPaths().size(), 4);
}

TEST_F(IndexerTest, ProgressOnlyForMoreThanFiveFiles)
{
    for (int count : {5, 6}) {
        SCOPED_TRACE(count);
        add({{QString("f%1.f90").arg(count), "module x\nend module\n"}});
        while (document.projectFiles().size() < count)
            add({{QString("g%1.f90").arg(document.projectFiles().size()), "\n"}});
        QSignalSpy started(&indexer, &ProjectIndexer::progressStarted);
        QSignalSpy stopped(&indexer, &ProjectIndexer::progressStopped);
        indexAll();
        EXPECT_EQ(started.count(), count > 5 ? 1 : 0);
        EXPECT_EQ(stopped.count(), count > 5 ? 1 : 0);
        if (count > 5) {
            EXPECT_EQ(started.first().first().toString(), "Indexing...");
        }
    }
}

// Files read from disk: UTF-8 with an accented comment, Latin-1 bytes, CR and CRLF line endings
// and fixed form all index (an accented letter once stopped a file from being indexed).
TEST_F(IndexerTest, FileDecodingAndLineEndings)
{
    add({{"utf8.f90",
          "module caf\xc3\xa9_mod\n ! r\xc3\xa9sum\xc3\xa9\n integer :: k\nend module\n"},
         {"latin1.f90", "module lat\n ! caf\xe9\nend module\n"},
         {"crlf.f90", "module crlf\r\n integer :: a\r\nend module\r\n"},
         {"cr.f90", "module oldmac\r real :: b\rend module\r"},
         {"fixed.f", "      SUBROUTINE FIX(A)\n      REAL A\n      END\n"}});
    indexAll();
    EXPECT_TRUE(index()->projectModulesDictionary.contains("lat"));
    EXPECT_TRUE(index()->projectModulesDictionary.contains(QString::fromUtf8("caf\xc3\xa9_mod")))
        << qPrintable(index()->projectModulesDictionary.keys().join(","));
    EXPECT_EQ(lookupDeclaration(index()->projectModulesDictionary.value("crlf")->variables, "a")
                  ->typeName,
              "integer");
    EXPECT_EQ(lookupDeclaration(index()->projectModulesDictionary.value("oldmac")->variables, "b")
                  ->typeName,
              "real");
    EXPECT_TRUE(index()->projectGlobalProceduresDictionary.contains("fix"));
    EXPECT_EQ(ProjectIndexer::readSourceForIndexing(path("crlf.f90")),
              QString("module crlf\n integer :: a\nend module\n"));
    EXPECT_EQ(ProjectIndexer::readSourceForIndexing(path("missing.f90")), std::nullopt);
    EXPECT_EQ(ProjectIndexer::readSourceForIndexing(dir.path()), std::nullopt);
}

TEST_F(IndexerTest, UnreadableFileKeepsPreviousDeclarations)
{
    add({{"a.f90", "module keep\nend module\n"}, {"b.f90", "module other\nend module\n"}});
    indexAll();
    ASSERT_TRUE(QFile::remove(path("a.f90")));
    indexer.reindexFiles({document.projectFiles().first()});
    QSignalSpy published(&indexer, &ProjectIndexer::indexPublished);
    ASSERT_TRUE(published.wait(20000));
    EXPECT_TRUE(index()->projectModulesDictionary.contains("keep"));
    EXPECT_TRUE(prompts.errors.isEmpty());
}

TEST_F(IndexerTest, CircularUseIsReportedOncePerMerge)
{
    add({{"a.f90", "module a\n use b\nend module\n"}, {"b.f90", "module b\n use a\nend module\n"}});
    indexAll();
    ASSERT_EQ(prompts.alerts.size(), 1);
    EXPECT_TRUE(prompts.alerts.first().startsWith("Circular module dependencies found:\n"));
    EXPECT_TRUE(prompts.alerts.first().endsWith(
        "\nIndexing is not available for modules with circular references."));
    indexer.indexNow();
    EXPECT_EQ(prompts.alerts.size(), 2);
}

// Re-indexes over and over while the GUI thread walks every published record; run under
// ThreadSanitizer to prove that workers never write what the GUI thread can reach.
TEST_F(IndexerTest, StressReadingSnapshotsWhileReindexing)
{
    QList<std::pair<QString, QByteArray>> files;
    for (int i = 0; i < 12; ++i) {
        QByteArray text = "module s" + QByteArray::number(i) + "\n";
        if (i > 0)
            text += " use s" + QByteArray::number(i - 1) + "\n";
        text += " type :: t" + QByteArray::number(i) + "\n  real :: c\n end type\n";
        if (i > 0)
            text += " type, extends(t" + QByteArray::number(i - 1) + ") :: u" +
                    QByteArray::number(i) + "\n end type\n";
        text += " integer :: v\ncontains\n subroutine p" + QByteArray::number(i) +
                "(a, b)\n  real :: a, b\n end subroutine\nend module\n";
        test::writeFile(path(QString("s%1.f90").arg(i, 2, 10, QChar('0'))), text);
        document.addFileNames({path(QString("s%1.f90").arg(i, 2, 10, QChar('0')))}, false);
    }
    indexAll();
    qsizetype walked = 0;
    for (int round = 0; round < 20; ++round) {
        QSignalSpy published(&indexer, &ProjectIndexer::indexPublished);
        if (round % 2)
            ASSERT_TRUE(indexer.generateAllProcedureCompletions());
        else
            indexer.reindexFiles({document.projectFiles().first()});
        while (published.isEmpty()) {
            const auto snapshot = index();
            for (const auto &m : snapshot->projectModulesDictionary) {
                walked += m.second->modulesUsed.value_or(QStringList()).size();
                if (m.second->symbols && m.second->symbols->variableNames)
                    walked += m.second->symbols->variableNames->size();
                if (m.second->types)
                    for (const auto &t : *m.second->types)
                        walked += t.second->superclassType ? 1 : 0;
            }
            for (const auto &f : document.projectFiles())
                walked += f->declarations() ? 1 : 0;
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(index()->projectModulesDictionary.size(), 12);
        EXPECT_EQ(resolvedUseChain(index()->projectModulesDictionary, "s11")->size(), 11);
    }
    EXPECT_GT(walked, 0);
}

TEST_F(IndexerTest, PreprocessedFilesAreIndexedWithTheProjectsDefinesAndIncludeFolders)
{
    QDir(dir.path()).mkpath("inc");
    test::writeFile(path("inc/names.inc"), "#define NAMED(x) x\n");
    add({{"pre.F90", "#include <names.inc>\nmodule NAMED(base)\n#ifdef WITH_EXTRA\n"
                     " integer :: extra\n#endif\n#ifndef __GFORTRAN__\n integer :: other\n"
                     "#endif\nend module\n"}});
    document.setCompilerFlags("-O2 -DWITH_EXTRA");
    document.setIncludeFlags("-I" + path("inc"));
    indexAll();
    ASSERT_TRUE(index()->projectModulesDictionary.contains("base"))
        << qPrintable(index()->projectModulesDictionary.keys().join(","));
    const auto &variables = index()->projectModulesDictionary.value("base")->variables;
    EXPECT_TRUE(lookupDeclaration(variables, "extra"));
    EXPECT_FALSE(lookupDeclaration(variables, "other"));
}
