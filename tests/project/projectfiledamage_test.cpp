// Project files that are damaged, changed behind the document's back, or not files at all.
#include "project/keyedarchive.h"
#include "project/mydocument.h"
#include "project/prompts.h"
#include "settings/defaults.h"
#include "support/testutil.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace corvane;

namespace
{

class ProjectFileDamage : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        Defaults::instance().setValue("compilerPath", "gfortran");
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    // The root of a saved project with one source.
    QVariantMap savedRoot()
    {
        test::writeFile(path("a.f90"), "program a\nend\n");
        MyDocument doc;
        doc.addFileNames({path("a.f90")}, false);
        EXPECT_TRUE(doc.write(path("good.corvane")).ok());
        return KeyedArchive::decode(test::readFile(path("good.corvane")))->toMap();
    }
    void writeRoot(const QString &file, const QVariantMap &root)
    {
        Result<QByteArray> bytes = KeyedArchive::encode(root);
        ASSERT_TRUE(bytes.ok());
        test::writeFile(file, *bytes);
    }
    QTemporaryDir dir;
};

} // namespace

// (we had this bug) A file list that could not be read opened as an empty project without a
// word, and the next save wrote the empty list over it.
TEST_F(ProjectFileDamage, AnUnreadableFileListIsToldAndNotSavedOver)
{
    const QVariantMap good = savedRoot();
    QVariantMap renamed = good; // one byte of the key changed
    renamed.insert("fileLisu", renamed.take("fileList"));
    QVariantMap wrongType = good;
    wrongType.insert("fileList", qint64(7));
    QVariantMap listOfPaths = good;
    listOfPaths.insert("fileList", QVariantList{path("a.f90")});
    QVariantMap empty = good; // a project without files writes neither key
    empty.remove("fileList");
    empty.remove("fileBookmarks");

    const struct {
        const char *name;
        QVariantMap root;
        bool damaged;
    } cases[] = {
        {"key renamed", renamed, true},
        {"number", wrongType, true},
        {"array", listOfPaths, true},
        {"no files", empty, false},
        {"intact", good, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path("p.corvane");
        writeRoot(file, c.root);
        const QByteArray before = test::readFile(file);
        RecordingPrompts prompts;
        auto opened = MyDocument::open(file, prompts);
        ASSERT_TRUE(opened.ok());
        MyDocument &doc = **opened;
        EXPECT_EQ(doc.fileListDamaged(), c.damaged);
        EXPECT_EQ(prompts.alerts.join("|").contains("damaged"), c.damaged);
        doc.setCommandLineArguments("changed");
        const Result<void> saved = doc.write(file);
        EXPECT_EQ(saved.ok(), !c.damaged) << saved.error().toStdString();
        if (!c.damaged)
            continue;
        EXPECT_TRUE(saved.error().contains(file));
        EXPECT_EQ(test::readFile(file), before);
        // Saved elsewhere, the damaged file stays as it is.
        EXPECT_TRUE(doc.write(path("elsewhere.corvane")).ok());
        EXPECT_EQ(test::readFile(file), before);
    }
}

TEST_F(ProjectFileDamage, GoingOnKeepsACopyOfTheDamagedFile)
{
    QVariantMap root = savedRoot();
    root.insert("fileList", qint64(7));
    const QString file = path("p.corvane");
    writeRoot(file, root);
    const QByteArray damaged = test::readFile(file);
    RecordingPrompts prompts;
    auto opened = MyDocument::open(file, prompts);
    ASSERT_TRUE(opened.ok());
    ASSERT_TRUE((*opened)->keepDamagedCopy().ok());
    EXPECT_EQ(test::readFile(file + ".damaged"), damaged);
    EXPECT_FALSE((*opened)->fileListDamaged());
    ASSERT_TRUE((*opened)->write(file).ok());
    EXPECT_NE(test::readFile(file), damaged);
}

TEST_F(ProjectFileDamage, ChangesByAnotherProgramAreNoticed)
{
    savedRoot();
    const QString file = path("good.corvane");
    RecordingPrompts prompts;
    auto opened = MyDocument::open(file, prompts);
    ASSERT_TRUE(opened.ok());
    MyDocument &doc = **opened;
    EXPECT_FALSE(doc.projectFileChangedOnDisk());

    // Another program saves the project (a new file renamed over it, as saves do).
    MyDocument other;
    ASSERT_TRUE(other.read(file, prompts).ok());
    other.setCommandLineArguments("from the other program");
    ASSERT_TRUE(other.write(file).ok());
    EXPECT_TRUE(doc.projectFileChangedOnDisk());
    EXPECT_FALSE(other.projectFileChangedOnDisk());

    ASSERT_TRUE(doc.write(file).ok());
    EXPECT_FALSE(doc.projectFileChangedOnDisk());
    EXPECT_TRUE(other.projectFileChangedOnDisk());
    EXPECT_FALSE(MyDocument().projectFileChangedOnDisk()); // never saved
}

// (we had this bug) A FIFO named like a project blocked in open(); a link to /dev/zero was read
// until the memory ran out.
TEST_F(ProjectFileDamage, OnlyRegularFilesAreOpened)
{
    const QString fifo = path("fifo.corvane");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo), 0600), 0);
    const QString zero = path("zero.corvane");
    ASSERT_TRUE(QFile::link("/dev/zero", zero));
    for (const QString &file : {fifo, zero, dir.path()}) {
        SCOPED_TRACE(file.toStdString());
        RecordingPrompts prompts;
        const auto opened = MyDocument::open(file, prompts);
        ASSERT_FALSE(opened.ok());
        EXPECT_TRUE(opened.error().startsWith("cannot open " + file + ": ")) << opened.error().toStdString();
    }
}

// (we had this bug) A processor count of -5 from a damaged file was taken as it was.
TEST_F(ProjectFileDamage, ProcessorCountsAreBroughtIntoRange)
{
    const QVariantMap good = savedRoot();
    const struct {
        qint64 stored;
        qint64 read;
    } cases[] = {{-5, 1}, {0, 1}, {1, 1}, {64, 64}, {4096, 4096}, {100000, 4096}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stored);
        QVariantMap root = good;
        root.insert("numberOfProcessors", c.stored);
        writeRoot(path("n.corvane"), root);
        RecordingPrompts prompts;
        auto opened = MyDocument::open(path("n.corvane"), prompts);
        ASSERT_TRUE(opened.ok());
        EXPECT_EQ((*opened)->numberOfProcessors(), c.read);
        (*opened)->setNumberOfProcessors(c.stored);
        EXPECT_EQ((*opened)->numberOfProcessors(), c.read);
    }
}

// Paths are the user's text: "%1" in them stays as written in every message that names them.
TEST_F(ProjectFileDamage, MessagesKeepPercentSignsOfPaths)
{
    const QString hostile = path("%1 %2 %L1 %%");
    QVariantMap root = savedRoot();
    root.insert("fileList", hostile + "/gone.f90\n" + hostile + "/lost.f90");
    root.insert("fileBookmarks", QVariantList{QByteArray(), QByteArray()});
    root.insert("inputFileName", hostile + "/in.txt");
    writeRoot(path("p.corvane"), root);
    RecordingPrompts prompts;
    ASSERT_TRUE(MyDocument::open(path("p.corvane"), prompts).ok());
    ASSERT_EQ(prompts.alerts.size(), 2);
    EXPECT_TRUE(prompts.alerts[0].endsWith("\n(1) " + hostile + "/gone.f90\n\n(2) " + hostile +
                                           "/lost.f90\n\n"))
        << prompts.alerts[0].toStdString();
    EXPECT_TRUE(prompts.alerts[1].endsWith("\nName: " + hostile + "/in.txt"))
        << prompts.alerts[1].toStdString();

    MyDocument doc;
    const Result<void> saved = doc.write(hostile + "/p.corvane");
    ASSERT_FALSE(saved.ok());
    EXPECT_TRUE(saved.error().startsWith("cannot save " + hostile + "/p.corvane: "))
        << saved.error().toStdString();
}
