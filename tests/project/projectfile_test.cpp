// The project file: every key written and read back, the defaults of missing keys, files that
// moved or vanished, older files, and files that are not projects at all.
#include "project/archivecoders.h"
#include "project/keyedarchive.h"
#include "project/mydocument.h"
#include "project/prompts.h"
#include "project/windowstate.h"
#include "settings/defaults.h"
#include "support/testutil.h"

#include <QDir>
#include <QFile>
#include <QRectF>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace corvane;

namespace
{

class ProjectFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        Defaults::instance().setValue("compilerPath", "gfortran");
        Defaults::instance().setValue("saveConsoleSessions", true);
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    QString source(const QString &name)
    {
        test::writeFile(path(name), "program p\nend program\n");
        return path(name);
    }
    // The root dictionary of a written project file.
    QVariantMap rootOf(const QString &file)
    {
        Result<QVariant> r = KeyedArchive::decode(test::readFile(file));
        EXPECT_TRUE(r.ok()) << r.error().toStdString();
        return r ? r->toMap() : QVariantMap();
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

TEST_F(ProjectFileTest, EveryKeySurvivesARoundTrip)
{
    MyDocument doc;
    doc.addFileNames({source("solver.f90"), source("inc/consts.inc"), source("main.f")}, false);
    doc.setDebugCompilerFlags("-g -fcheck=all");
    doc.setReleaseCompilerFlags("-O3");
    doc.setDebugLinkerFlags("-g");
    doc.setReleaseLinkerFlags("-lm");
    doc.setIsDebugBuild(true);
    doc.setProjectCompilerPath("/usr/bin/mpif90");
    doc.setNumberOfProcessors(4);
    doc.setCommandLineArguments("--steps 10");
    doc.setInputOption(0);
    doc.setInputFileName(source("input.txt"));
    doc.setCompileForLibrary(true);
    doc.setContinuouslyUpdateConsole(true);
    doc.setModuleAwareRebuilds(false);
    doc.setUserNotificationInfo({{"notifyWhenComplete", true},
                                 {"notifyByEmail", true},
                                 {"notificationEmailAddress", "me@example.org"},
                                 {"notificationHeader", "Done"}});
    doc.addNote({QDateTime::fromSecsSinceEpoch(1760000000), "First", "text"});
    doc.addNote({});
    ErrorsDictionary errors;
    errors.insert(path("solver.f90"), {FindResult(path("solver.f90"), "x = y", 3, 5)});
    const QVariantMap states{{"showToolbar", true},
                             {"showOptionsPane", false},
                             {"workAreaItem", qint64(1)},
                             {"currentFileName", path("solver.f90")},
                             {"selectedRange", QVariant::fromValue(TextRange{10, 4})},
                             {"selectionIndex", qint64(2)},
                             {"windowFrame", QRectF(10, 20, 800, 600)}};
    doc.setWindowDataProvider([&] {
        return MyDocument::WindowData{"Corvane: Execution completed.\n", errors,
                                      QStringList{path("solver.f90")}, states};
    });
    const QString file = path("Heat Run.corvane");
    ASSERT_TRUE(doc.write(file).ok());
    EXPECT_FALSE(doc.isDocumentEdited());

    RecordingPrompts prompts;
    auto opened = MyDocument::open(file, prompts);
    ASSERT_TRUE(opened.ok()) << opened.error().toStdString();
    MyDocument &back = **opened;
    EXPECT_TRUE(prompts.alerts.isEmpty());
    EXPECT_EQ(back.fileNames(), doc.fileNames());
    EXPECT_EQ(back.debugCompilerFlags(), "-g -fcheck=all");
    EXPECT_EQ(back.releaseCompilerFlags(), "-O3");
    EXPECT_EQ(back.debugLinkerFlags(), "-g");
    EXPECT_EQ(back.releaseLinkerFlags(), "-lm");
    EXPECT_TRUE(back.isDebugBuild());
    EXPECT_EQ(back.projectCompilerPath(), "/usr/bin/mpif90");
    EXPECT_EQ(back.compiler(), 1);
    EXPECT_EQ(back.numberOfProcessors(), 4);
    EXPECT_EQ(back.commandLineArguments(), "--steps 10");
    EXPECT_EQ(back.inputOption(), 0);
    EXPECT_EQ(back.storedInputFileName(), path("input.txt"));
    EXPECT_EQ(back.inputFileDisplayName(), "input.txt");
    EXPECT_EQ(back.compileForLibrary(), std::optional<bool>(true));
    EXPECT_TRUE(back.continuouslyUpdateConsole());
    EXPECT_FALSE(back.moduleAwareRebuilds());
    EXPECT_EQ(back.includeFlags(), doc.includeFlags());
    EXPECT_EQ(back.userNotificationInfo(), doc.userNotificationInfo());
    EXPECT_EQ(back.notificationBody(), ""); // missing inside the dictionary: ""
    EXPECT_EQ(back.notes(), doc.notes());
    EXPECT_EQ(back.consoleString(), "Corvane: Execution completed.\n");
    EXPECT_EQ(back.shelfFiles(), std::optional<QStringList>(QStringList{path("solver.f90")}));
    ASSERT_TRUE(back.errorsDictionary().has_value());
    EXPECT_EQ(*back.errorsDictionary(), errors);
    ASSERT_TRUE(back.windowStates().has_value());
    const QVariantMap ws = *back.windowStates();
    EXPECT_EQ(ws.keys(), states.keys());
    EXPECT_EQ(ws.value("selectedRange").value<TextRange>(), (TextRange{10, 4}));
    EXPECT_EQ(ws.value("windowFrame").toRectF(), QRectF(10, 20, 800, 600));
    EXPECT_EQ(ws.value("workAreaItem").toLongLong(), 1);
    EXPECT_FALSE(back.needsFullRecompile());
    EXPECT_FALSE(back.isDocumentEdited());
    EXPECT_EQ(back.executableName(), "HeatRunTesting");

    // A second save of the reopened project, without a window, keeps what the window gave.
    ASSERT_TRUE(back.write(path("again.corvane")).ok());
    const QVariantMap again = rootOf(path("again.corvane"));
    EXPECT_EQ(again.value("consoleText").toString(), "Corvane: Execution completed.\n");
    EXPECT_EQ(again.value("windowStates").toMap().keys(), states.keys());
    EXPECT_TRUE(again.contains("errorsDictionary"));
}

TEST_F(ProjectFileTest, AnEmptyProjectWritesNoFileListAndReadsDefaults)
{
    Defaults::instance().setValue("saveConsoleSessions", false);
    MyDocument doc;
    doc.setWindowDataProvider([] { return MyDocument::WindowData{"console text", {}, {}, {}}; });
    ASSERT_TRUE(doc.write(path("empty.corvane")).ok());
    const QVariantMap root = rootOf(path("empty.corvane"));
    for (const char *absent :
         {"fileList", "fileBookmarks", "consoleText", "ProjectNotes", "debugCompilerFlags",
          "includeFlags", "inputFileName", "compileForLibrary", "bookmarkFilesForShelf",
          "errorsDictionary", "commandLineArguments"})
        EXPECT_FALSE(root.contains(absent)) << absent;
    for (const char *present : {"isDebugBuild", "inputOption", "numberOfProcessors", "compiler",
                                "ContinuouslyUpdateConsole", "windowStates", "userNotificationInfo",
                                "ProjectCompilerPath", "moduleAwareRebuilds"})
        EXPECT_TRUE(root.contains(present)) << present;
    EXPECT_EQ(root.value("ProjectCompilerPath").toString(), "gfortran");

    writeRoot(path("bare.corvane"), QVariantMap{});
    RecordingPrompts prompts;
    auto opened = MyDocument::open(path("bare.corvane"), prompts);
    ASSERT_TRUE(opened.ok());
    const MyDocument &d = **opened;
    EXPECT_TRUE(d.projectFiles().isEmpty());
    EXPECT_TRUE(prompts.alerts.isEmpty());
    EXPECT_EQ(d.inputOption(), 2);
    EXPECT_EQ(d.numberOfProcessors(), 1);
    EXPECT_EQ(d.projectCompilerPath(), "gfortran");
    EXPECT_FALSE(d.compileForLibrary().has_value());
    EXPECT_TRUE(d.moduleAwareRebuilds()) << "projects written before the setting get it on";
    EXPECT_FALSE(d.windowStates().has_value());
    EXPECT_TRUE(d.releaseCompilerFlags().isNull());
    EXPECT_TRUE(d.consoleString().isNull());
    EXPECT_EQ(d.notificationHeader(), "");
}

TEST_F(ProjectFileTest, OlderFilesGiveTheirFlagsToTheReleaseConfiguration)
{
    writeRoot(
        path("old.corvane"),
        {{"compilerFlags", "-O1"}, {"linkerFlags", "-lblas"}, {"releaseCompilerFlags", "-O3"}});
    RecordingPrompts prompts;
    auto opened = MyDocument::open(path("old.corvane"), prompts);
    ASSERT_TRUE(opened.ok());
    EXPECT_EQ((*opened)->releaseCompilerFlags(), "-O1");
    EXPECT_EQ((*opened)->releaseLinkerFlags(), "-lblas");
    EXPECT_TRUE((*opened)->debugCompilerFlags().isNull());
}

TEST_F(ProjectFileTest, MissingFilesAreListedAndDropped)
{
    QStringList paths;
    for (const char *n : {"a.f90", "b.f90", "c.f90", "d.f90", "e.f90"})
        paths << source(n);
    MyDocument doc;
    doc.addFileNames(paths, false);
    ASSERT_TRUE(doc.write(path("p.corvane")).ok());
    QFile::remove(path("b.f90"));
    QFile::remove(path("d.f90"));
    RecordingPrompts prompts;
    auto opened = MyDocument::open(path("p.corvane"), prompts);
    ASSERT_TRUE(opened.ok());
    EXPECT_EQ((*opened)->fileNames(), (QStringList{path("a.f90"), path("c.f90"), path("e.f90")}));
    ASSERT_EQ(prompts.alerts.size(), 1);
    EXPECT_EQ(prompts.alerts[0], QString("The following files could no longer be found and are "
                                         "removed from the project:\n(1) %1\n\n(2) %2\n\n")
                                     .arg(path("b.f90"), path("d.f90")));
    EXPECT_EQ(prompts.beeps, 1);
}

TEST_F(ProjectFileTest, MovedFilesAndACheckoutElsewhereAreFoundAgain)
{
    MyDocument doc;
    doc.addFileNames({source("proj/src/a.f90"), source("proj/b.f90")}, false);
    doc.setInputFileName(source("proj/in.txt"));
    ASSERT_TRUE(doc.write(path("proj/p.corvane")).ok());

    ASSERT_TRUE(QDir().mkpath(path("proj/lib")));
    ASSERT_TRUE(QFile::rename(path("proj/src/a.f90"), path("proj/lib/a2.f90")));
    ASSERT_TRUE(QFile::rename(path("proj/in.txt"), path("proj/in2.txt")));
    RecordingPrompts prompts;
    auto moved = MyDocument::open(path("proj/p.corvane"), prompts);
    ASSERT_TRUE(moved.ok());
    EXPECT_TRUE(prompts.alerts.isEmpty()) << prompts.alerts.join("|").toStdString();
    EXPECT_EQ((*moved)->fileNames(), (QStringList{path("proj/lib/a2.f90"), path("proj/b.f90")}));
    EXPECT_EQ((*moved)->inputFileName(), path("proj/in2.txt"));
    ASSERT_TRUE((*moved)->write(path("proj/p.corvane")).ok());
    EXPECT_TRUE(rootOf(path("proj/p.corvane")).value("fileList").toString().contains("a2.f90"));

    // The whole folder copied elsewhere (as a fresh clone) and the original removed.
    for (const char *n : {"lib/a2.f90", "b.f90", "in2.txt", "p.corvane"})
        test::writeFile(path(QString("clone/proj/") + n),
                        test::readFile(path(QString("proj/") + n)));
    ASSERT_TRUE(QDir(path("proj")).removeRecursively());
    auto cloned = MyDocument::open(path("clone/proj/p.corvane"), prompts);
    ASSERT_TRUE(cloned.ok());
    EXPECT_TRUE(prompts.alerts.isEmpty()) << prompts.alerts.join("|").toStdString();
    EXPECT_EQ((*cloned)->fileNames(),
              (QStringList{path("clone/proj/lib/a2.f90"), path("clone/proj/b.f90")}));
    EXPECT_EQ((*cloned)->storedInputFileName(), path("clone/proj/in2.txt"));
}

TEST_F(ProjectFileTest, AMissingInputFileIsClearedWithAnAlert)
{
    MyDocument doc;
    doc.setInputFileName(source("in.dat"));
    ASSERT_TRUE(doc.write(path("p.corvane")).ok());
    QFile::remove(path("in.dat"));
    RecordingPrompts prompts;
    auto opened = MyDocument::open(path("p.corvane"), prompts);
    ASSERT_TRUE(opened.ok());
    EXPECT_TRUE((*opened)->storedInputFileName().isEmpty());
    EXPECT_TRUE((*opened)->inputFileBookmark().isEmpty());
    ASSERT_EQ(prompts.alerts.size(), 1);
    EXPECT_EQ(prompts.alerts[0], "The input file has been moved or its name has been changed. "
                                 "Find it and re-add to the project.\nName: " +
                                     path("in.dat"));
}

TEST_F(ProjectFileTest, FilesThatAreNotProjectsAreErrorsNamingTheFile)
{
    Result<QByteArray> arrayRoot = KeyedArchive::encode(QVariantList{QString("x")});
    ASSERT_TRUE(arrayRoot.ok());
    Result<QByteArray> good = KeyedArchive::encode(QVariantMap{{"isDebugBuild", true}});
    ASSERT_TRUE(good.ok());
    const struct {
        const char *name;
        QByteArray bytes;
        const char *reason;
    } cases[] = {
        {"text.corvane", "program p\nend\n", "not a property list"},
        {"plain.corvane", "<plist version=\"1.0\"><dict/></plist>", "not a keyed archive"},
        {"array.corvane", *arrayRoot, "root is not a dictionary"},
        {"truncated.corvane", good->left(good->size() - 5), "property list"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        test::writeFile(path(c.name), c.bytes);
        RecordingPrompts prompts;
        auto opened = MyDocument::open(path(c.name), prompts);
        ASSERT_FALSE(opened.ok());
        EXPECT_TRUE(opened.error().contains(path(c.name))) << opened.error().toStdString();
        EXPECT_TRUE(opened.error().contains(c.reason)) << opened.error().toStdString();
        EXPECT_EQ(test::readFile(path(c.name)), c.bytes); // untouched
    }
    RecordingPrompts prompts;
    auto missing = MyDocument::open(path("none.corvane"), prompts);
    ASSERT_FALSE(missing.ok());
    EXPECT_TRUE(missing.error().contains(path("none.corvane")));
}

TEST_F(ProjectFileTest, AFailedSaveKeepsTheOldFile)
{
    MyDocument doc;
    ASSERT_TRUE(doc.write(path("p.corvane")).ok());
    const QByteArray before = test::readFile(path("p.corvane"));
    doc.setCommandLineArguments("changed");
    Result<void> r = doc.write(path("no/such/folder/p.corvane"));
    ASSERT_FALSE(r.ok());
    EXPECT_TRUE(r.error().contains("no/such/folder/p.corvane"));
    EXPECT_TRUE(doc.isDocumentEdited()); // still unsaved
    EXPECT_EQ(test::readFile(path("p.corvane")), before);
}

TEST(WindowState, DictionaryFormAndDefaults)
{
    WindowState none;
    none.showToolbar = true;
    const QVariantMap bare = none.toDictionary();
    EXPECT_EQ(bare.keys(),
              (QStringList{"showOptionsPane", "showToolbar", "windowFrame", "workAreaItem"}));
    EXPECT_EQ(bare.value("windowFrame").toRectF(), QRectF());

    WindowState editing;
    editing.showOptionsPane = true;
    editing.workAreaItem = 1;
    editing.currentFileName = "/p/a.f90";
    editing.selectedRange = TextRange{4, 2};
    editing.selectionIndex = 3;
    editing.windowFrame = QRectF(5, 6, 700, 500);
    const QVariantMap d = editing.toDictionary();
    EXPECT_EQ(d.size(), 7);
    // Through the archive and back.
    Result<QByteArray> bytes = KeyedArchive::encode(d);
    ASSERT_TRUE(bytes.ok());
    Result<QVariant> back = KeyedArchive::decode(*bytes);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(WindowState::fromDictionary(back->toMap()), editing);

    const WindowState odd = WindowState::fromDictionary(
        {{"workAreaItem", qint64(-4)}, {"selectedRange", QString("x")}, {"showToolbar", "yes"}});
    EXPECT_FALSE(odd.showToolbar); // not a boolean: missing, which reads false
    EXPECT_EQ(odd.workAreaTab(), std::optional<qint64>(0));
    EXPECT_FALSE(odd.selectedRange.has_value());
    EXPECT_FALSE(odd.windowFrame.has_value());
    EXPECT_FALSE(WindowState::fromDictionary({}).workAreaTab().has_value());
}

TEST_F(ProjectFileTest, ASaveStoresTheNewPathOfAFileMovedWhileOpen)
{
    MyDocument doc;
    doc.addFileNames({source("a.f90"), path("gone.f90")}, false);
    ASSERT_TRUE(QFile::rename(path("a.f90"), path("b.f90")));
    ASSERT_TRUE(doc.write(path("p.corvane")).ok());
    const QVariantMap root = rootOf(path("p.corvane"));
    EXPECT_EQ(root.value("fileList").toString(), path("b.f90") + "\n" + path("gone.f90"));
    const QVariantList marks = root.value("fileBookmarks").toList();
    ASSERT_EQ(marks.size(), 2); // index-aligned, the one that could not be made is empty
    EXPECT_FALSE(marks[0].toByteArray().isEmpty());
    EXPECT_TRUE(marks[1].toByteArray().isEmpty());
}

// Project files that are damaged, changed behind the document's back, or not files at all.
class ProjectFileDamage : public ProjectFileTest
{
protected:
    // The root of a saved project with one source.
    QVariantMap savedRoot()
    {
        MyDocument doc;
        doc.addFileNames({source("a.f90")}, false);
        EXPECT_TRUE(doc.write(path("good.corvane")).ok());
        return rootOf(path("good.corvane"));
    }
};

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
