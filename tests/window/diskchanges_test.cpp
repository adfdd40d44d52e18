// The project window following its current file on disk (inotify) and its closing guards and
// saved state.
#include "build/interactiveconsolecontroller.h"
#include "project/fileoperations.h"
#include "project/fortranfile.h"
#include "watch/pavoqueue.h"
#include "editor/corvanetextview.h"
#include "window/filelistmodel.h"
#include "windowtestutil.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QSignalSpy>
#include <QToolBar>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace
{

class DiskTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        projectPath = fx.makeProject(
            {{"a.f90", "program a\nend program a\n"}, {"b.f90", "module b\nend module b\n"}});
        window = fx.open(projectPath);
        window->show();
        select("a.f90");
        ASSERT_NE(window->fileWatcher(), nullptr);
        ASSERT_TRUE(window->fileWatcher()->watchedPaths().contains(fx.path("a.f90")));
    }

    FortranFile *file(const QString &name) const
    {
        return window->document()->fortranFileNamed(fx.path(name));
    }
    void select(const QString &name)
    {
        window->changeFileTableSelectionToRow(window->fileListModel()->rowOf(file(name)));
    }
    // Lets the watcher's events arrive.
    void settle(int ms = 300) { QTest::qWait(ms); }

    ProjectFixture fx;
    QString projectPath;
    std::unique_ptr<DocWindowController> window;
};

TEST_F(DiskTest, AChangeByAnotherProgramIsReloadedWithoutAQuestion)
{
    window->editor()->moveCursor(QTextCursor::End);
    QTextDocument *before = window->editor()->document();
    writeFile(fx.path("a.f90"), "program changed\nend program changed\n");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return window->editor()->toPlainText() == "program changed\nend program changed\n"; },
        3000));
    EXPECT_TRUE(fx.prompts.asked.isEmpty());
    EXPECT_NE(window->editor()->document(), before);
    EXPECT_FALSE(window->editor()->document()->isUndoAvailable());
    EXPECT_EQ(window->currentFortranFile(), file("a.f90"));
    // Still watched, so a second change is seen too.
    writeFile(fx.path("a.f90"), "program again\nend program again\n");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return window->editor()->toPlainText().startsWith("program again"); }, 3000));
}

TEST_F(DiskTest, TheProgramsOwnSaveIsIgnoredAndTheFileStaysWatched)
{
    window->editor()->moveCursor(QTextCursor::End);
    QTest::keyClicks(window->editor(), "! mine");
    QTextDocument *storage = window->editor()->document();
    const auto saved = window->fileOperations()->saveFiles();
    ASSERT_EQ(saved.size(), 1);
    settle();
    EXPECT_EQ(window->editor()->document(), storage);
    EXPECT_TRUE(storage->isUndoAvailable());
    EXPECT_FALSE(window->document()->isLocalFileModification());
    EXPECT_TRUE(fx.prompts.asked.isEmpty());
    // A later change by another program is still noticed.
    writeFile(fx.path("a.f90"), "program other\n");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return window->editor()->toPlainText() == "program other\n"; }, 3000));
}

TEST_F(DiskTest, ARenameIsFollowed)
{
    ASSERT_TRUE(QFile::rename(fx.path("a.f90"), fx.path("renamed.f90")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->currentFileName() == "renamed.f90"; }, 3000));
    FortranFile *current = window->currentFortranFile();
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->filePath(), fx.path("renamed.f90"));
    EXPECT_TRUE(window->fileWatcher()->watchedPaths().contains(fx.path("renamed.f90")));
    EXPECT_EQ(window->fileListModel()->index(0).data().toString(), "renamed.f90");
}

TEST_F(DiskTest, AChangeOnDiskWhileEditedHereAsksFirst)
{
    struct Case {
        const char *name;
        int answer;
        const char *expect;
    };
    const Case cases[] = {
        {"keep the edits here", 0, "program a\nend program a\n!x"},
        {"take the version on disk", 1, "program disk\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        select("b.f90");
        writeFile(fx.path("a.f90"), "program a\nend program a\n");
        file("a.f90")->dropTextStorage();
        file("a.f90")->setFileState(FortranFile::Saved);
        select("a.f90");
        window->editor()->moveCursor(QTextCursor::End);
        QTest::keyClicks(window->editor(), "!x");
        fx.prompts.asked.clear();
        fx.prompts.script = {c.answer};
        writeFile(fx.path("a.f90"), "program disk\n");
        EXPECT_TRUE(QTest::qWaitFor([&] { return !fx.prompts.asked.isEmpty(); }, 3000));
        settle(100);
        EXPECT_TRUE(fx.prompts.asked.first().startsWith("The file a.f90 has been modified."));
        EXPECT_EQ(window->editor()->toPlainText(), c.expect);
    }
}

TEST_F(DiskTest, ADeletedFileLeavesTheEditorWithTheLostMessage)
{
    ASSERT_TRUE(QFile::remove(fx.path("a.f90")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isEditorShown(); }, 3000));
    EXPECT_EQ(window->noEditorMessage(),
              "The file has been moved, deleted or had its name changed and cannot be found.");
    EXPECT_EQ(window->currentFortranFile(), nullptr);
}

TEST_F(DiskTest, ClosingWhileAProgramRunsAsks)
{
    InteractiveConsoleController *runner = window->runner();
    runner->pathToExecutable = "/bin/";
    runner->nameOfExecutable = "sleep";
    runner->workingDirectory = fx.dir.path();
    ASSERT_TRUE(runner->executeWithData(std::nullopt, QStringList{"30"}, true, "ExecuteOperation"));
    ASSERT_TRUE(window->aTaskIsExecuting());

    fx.prompts.script = {1}; // "No": keep running, keep the window
    QCloseEvent refused;
    QCoreApplication::sendEvent(window.get(), &refused);
    EXPECT_FALSE(refused.isAccepted());
    ASSERT_EQ(fx.prompts.asked.size(), 1);
    EXPECT_EQ(fx.prompts.asked.first(),
              "The Fortran program is still running\nDo you want to abort execution and close?");
    EXPECT_TRUE(window->aTaskIsExecuting());

    fx.prompts.script = {0}; // "Yes": abort and close
    QCloseEvent accepted;
    QCoreApplication::sendEvent(window.get(), &accepted);
    EXPECT_TRUE(accepted.isAccepted());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->aTaskIsExecuting(); }, 3000));
}

TEST_F(DiskTest, ClosingWithUnsavedChangesAsksToSave)
{
    window->editor()->moveCursor(QTextCursor::End);
    QTest::keyClicks(window->editor(), "! unsaved");
    struct Case {
        const char *name;
        int answer;
        bool closes;
        bool written;
    };
    const Case cases[] = {
        {"cancel", 2, false, false},
        {"don't save", 1, true, false},
        {"save", 0, true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        fx.prompts.asked.clear();
        fx.prompts.script = {c.answer};
        QCloseEvent event;
        QCoreApplication::sendEvent(window.get(), &event);
        EXPECT_EQ(event.isAccepted(), c.closes);
        ASSERT_EQ(fx.prompts.asked.size(), 1);
        EXPECT_TRUE(fx.prompts.asked.first().startsWith(
            "Do you want to save the changes made to the project"));
        EXPECT_EQ(readFile(fx.path("a.f90")).endsWith("! unsaved"), c.written);
    }
}

TEST_F(DiskTest, WindowStateRoundTripsThroughTheProjectFile)
{
    select("b.f90");
    QTextCursor c = window->editor()->textCursor();
    c.setPosition(3);
    c.setPosition(7, QTextCursor::KeepAnchor);
    window->editor()->setTextCursor(c);
    window->switchTabTo(DocWindowController::NotesTab);
    window->setOptionsPaneShown(false);
    window->toggleToolbar();
    window->resize(760, 640); // the offscreen screen is 800x800
    ASSERT_TRUE(window->saveDocument());
    window.reset();

    window = fx.open(projectPath);
    window->show();
    EXPECT_EQ(window->currentTab(), DocWindowController::NotesTab);
    EXPECT_FALSE(window->optionsPaneShown());
    EXPECT_TRUE(window->findChild<QToolBar *>("mainToolbar")->isHidden());
    EXPECT_EQ(window->size(), QSize(760, 640));
    // The file selection follows a little later.
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return window->currentFortranFile() == file("b.f90"); }, 2000));
    EXPECT_EQ(window->editor()->textCursor().selectionStart(), 3);
    EXPECT_EQ(window->editor()->textCursor().selectionEnd(), 7);
    const QVariantMap states = window->windowStates();
    EXPECT_EQ(states.value("currentFileName").toString(), fx.path("b.f90"));
    EXPECT_EQ(states.value("selectionIndex").toLongLong(), 1);
    EXPECT_EQ(states.value("workAreaItem").toLongLong(), 2);
    EXPECT_EQ(states.value("selectedRange").value<TextRange>(), (TextRange{3, 4}));
}

TEST_F(DiskTest, WindowStateWithoutAFileHasNoFileKeys)
{
    window->removeFileAction(0);
    window->removeFileAction(0);
    const QVariantMap states = window->windowStates();
    EXPECT_FALSE(states.contains("currentFileName"));
    EXPECT_FALSE(states.contains("selectedRange"));
    EXPECT_FALSE(states.contains("selectionIndex"));
    for (const char *key : {"showToolbar", "showOptionsPane", "workAreaItem", "windowFrame"})
        EXPECT_TRUE(states.contains(key)) << key;
}

// Another program (a command, another window) saves the project with one more file.
void otherProgramAddsTo(const QString &project, const QString &source)
{
    RecordingPrompts prompts;
    auto other = MyDocument::open(project, prompts);
    ASSERT_TRUE(other.ok());
    writeFile(source, "module c\nend module c\n");
    (*other)->addFileNames({source}, false);
    ASSERT_TRUE((*other)->write(project).ok());
}

// (we had this bug) The window noticed a change of its project file by another program only when
// it saved; now it tells at once and asks again before saving over it.
TEST_F(DiskTest, TheProjectFileChangedByAnotherProgramIsToldAtOnce)
{
    QSignalSpy reload(window.get(), &DocWindowController::reloadRequested);
    fx.prompts.script = {0}; // keep this window's version
    otherProgramAddsTo(projectPath, fx.path("c.f90"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fx.prompts.asked.isEmpty(); }, 3000));
    EXPECT_TRUE(fx.prompts.asked.first().startsWith(
        "The project file \u201cDemo.corvane\u201d has been changed by another program."));
    EXPECT_EQ(reload.count(), 0);
    settle();
    EXPECT_EQ(fx.prompts.asked.size(), 1) << "one change, one question";

    // Saving asks before replacing the change; cancelled, the other program's list stays.
    fx.prompts.asked.clear();
    fx.prompts.script = {1};
    EXPECT_FALSE(window->saveDocument());
    ASSERT_EQ(fx.prompts.asked.size(), 1);
    EXPECT_TRUE(fx.prompts.asked.first().startsWith(
        "The project file has been changed by another program."));
    {
        RecordingPrompts prompts;
        auto onDisk = MyDocument::open(projectPath, prompts);
        ASSERT_TRUE(onDisk.ok());
        EXPECT_EQ((*onDisk)->projectFiles().size(), 3);
    }

    // A second change asks again; Reload is passed on to the application.
    fx.prompts.asked.clear();
    fx.prompts.script = {1};
    otherProgramAddsTo(projectPath, fx.path("d.f90"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return reload.count() == 1; }, 3000));
    EXPECT_EQ(reload.first().at(0).value<DocWindowController *>(), window.get());
}

TEST_F(DiskTest, TheWindowsOwnSaveOfTheProjectIsNotTold)
{
    window->document()->setCommandLineArguments("changed here");
    ASSERT_TRUE(window->saveDocument());
    settle(600);
    EXPECT_TRUE(fx.prompts.asked.isEmpty()) << fx.prompts.asked.join("|").toStdString();
}

} // namespace

// (we had this bug) A save overwrote what another program had written to the project file, and
// a project whose file list was damaged was saved over with an empty list.
TEST(ProjectFileOnDisk, SavingOverChangesOrADamagedListAsksFirst)
{
    ProjectFixture fx;
    const QString project = fx.makeProject({{"a.f90", "program a\nend program a\n"}});
    auto window = fx.open(project);

    // Another program saves the project: the window asks; Cancel keeps the other's version.
    auto other = MyDocument::open(project, fx.prompts);
    ASSERT_TRUE(other.ok());
    (*other)->setCommandLineArguments("theirs");
    ASSERT_TRUE((*other)->write(project).ok());
    const QByteArray theirs = readFile(project);
    fx.prompts.script = {1};
    EXPECT_FALSE(window->saveDocument());
    ASSERT_EQ(fx.prompts.asked.size(), 1);
    EXPECT_TRUE(fx.prompts.asked[0].startsWith("The project file has been changed by another program."));
    EXPECT_EQ(readFile(project), theirs);
    fx.prompts.script = {0};
    EXPECT_TRUE(window->saveDocument());
    EXPECT_NE(readFile(project), theirs);
    EXPECT_TRUE(window->saveDocument()); // its own save is no change by another program
    EXPECT_EQ(fx.prompts.asked.size(), 2);

    // A damaged file list: asked; going on keeps a copy of the damaged file.
    QByteArray bytes = readFile(project);
    bytes[bytes.indexOf("fileList") + 7] = 'u';
    writeFile(project, bytes);
    auto damaged = fx.open(project);
    fx.prompts.asked.clear();
    fx.prompts.script = {1};
    EXPECT_FALSE(damaged->saveDocument());
    EXPECT_EQ(readFile(project), bytes);
    EXPECT_FALSE(QFileInfo::exists(project + ".damaged"));
    fx.prompts.script = {0};
    EXPECT_TRUE(damaged->saveDocument());
    ASSERT_EQ(fx.prompts.asked.size(), 2);
    EXPECT_TRUE(fx.prompts.asked[1].startsWith("The list of files in this project is damaged."));
    EXPECT_EQ(readFile(project + ".damaged"), bytes);
}
