// The application controller: opening projects, recent projects, the quit guard; and the
// standalone editor of `corvane --edit`.
#include "build/interactiveconsolecontroller.h"
#include "project/mydocument.h"
#include "settings/defaults.h"
#include "support/testutil.h"
#include "window/appcontroller.h"
#include "editor/corvanetextview.h"
#include "window/docwindowcontroller.h"
#include "window/preferenceswindow.h"
#include "window/standaloneeditor.h"
#include "window/startwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QDir>
#include <QListWidget>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace
{

class AppTest : public ::testing::Test
{
protected:
    void SetUp() override { Defaults::instance().remove(AppController::kRecentProjectsKey); }
    QString path(const QString &name) const { return QDir(dir.path()).filePath(name); }
    QString makeProject(const QString &name)
    {
        MyDocument doc;
        writeFile(path("main.f90"), "program main\nend program main\n");
        doc.addFileNames({path("main.f90")}, false);
        EXPECT_TRUE(doc.write(path(name)).ok());
        return path(name);
    }
    void startSleeping(DocWindowController *w)
    {
        InteractiveConsoleController *runner = w->runner();
        runner->pathToExecutable = "/bin/";
        runner->nameOfExecutable = "sleep";
        runner->workingDirectory = dir.path();
        ASSERT_TRUE(
            runner->executeWithData(std::nullopt, QStringList{"30"}, true, "ExecuteOperation"));
    }

    QTemporaryDir dir;
    RecordingPrompts prompts;
};

TEST_F(AppTest, OpeningTheSameProjectTwiceRaisesItsWindow)
{
    AppController app(&prompts);
    const QString project = makeProject("One.corvane");
    DocWindowController *first = app.openProject(project);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(app.openProject(project), first);
    EXPECT_EQ(app.windows().size(), 1);
    EXPECT_EQ(app.recentProjects(), QStringList({project}));
}

TEST_F(AppTest, EveryWindowTellsItsUnseenRunsThroughTheOneNotifier)
{
    AppController app(&prompts);
    ASSERT_NE(app.userNotifier(), nullptr);
    DocWindowController *one = app.openProject(makeProject("One.corvane"));
    DocWindowController *two = app.newProject(path("Two.corvane"));
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(one->notifier(), app.userNotifier());
    EXPECT_EQ(two->notifier(), app.userNotifier());
}

TEST_F(AppTest, ReloadOpensTheChangedProjectFileInANewWindow)
{
    AppController app(&prompts);
    const QString project = makeProject("One.corvane");
    DocWindowController *first = app.openProject(project);
    ASSERT_NE(first, nullptr);
    {
        RecordingPrompts other;
        auto changed = MyDocument::open(project, other);
        ASSERT_TRUE(changed.ok());
        writeFile(path("more.f90"), "module more\nend module more\n");
        (*changed)->addFileNames({path("more.f90")}, false);
        ASSERT_TRUE((*changed)->write(project).ok());
    }
    QPointer<DocWindowController> old(first);
    DocWindowController *again = app.reloadProject(first);
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again, old.data());
    EXPECT_EQ(again->document()->projectFiles().size(), 2);
    QTest::qWait(50); // the old window is deleted from the event loop
    EXPECT_TRUE(old.isNull());
    EXPECT_EQ(app.windows().size(), 1);
}

TEST_F(AppTest, AFileThatIsNotAProjectIsReportedAndOpensNothing)
{
    AppController app(&prompts);
    writeFile(path("Broken.corvane"), "this is not a property list");
    EXPECT_EQ(app.openProject(path("Broken.corvane")), nullptr);
    EXPECT_EQ(app.openProject(path("Missing.corvane")), nullptr);
    EXPECT_EQ(prompts.alerts.size(), 2);
    EXPECT_TRUE(app.windows().isEmpty());
    EXPECT_TRUE(app.recentProjects().isEmpty());
}

TEST_F(AppTest, NewProjectIsWrittenAtOnceAndAddsTheExtension)
{
    AppController app(&prompts);
    DocWindowController *w = app.newProject(path("Fresh"));
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(QFileInfo::exists(path("Fresh.corvane")));
    EXPECT_EQ(w->document()->fileName(), path("Fresh.corvane"));
    EXPECT_EQ(w->noEditorMessage(), "No project files to edit.");
    // A folder that cannot be written is reported.
    EXPECT_EQ(app.newProject(path("no/such/folder/X.corvane")), nullptr);
    EXPECT_EQ(prompts.errors.size(), 1);
}

TEST_F(AppTest, RecentProjectsAreMostRecentFirstWithoutDuplicatesAndBounded)
{
    AppController app(&prompts);
    for (int i = 0; i < AppController::kMaxRecentProjects + 3; ++i)
        app.noteRecentProject(QString("/p/%1.corvane").arg(i));
    app.noteRecentProject("/p/5.corvane");
    const QStringList recent = app.recentProjects();
    EXPECT_EQ(recent.size(), AppController::kMaxRecentProjects);
    EXPECT_EQ(recent.first(), "/p/5.corvane");
    EXPECT_EQ(recent.count("/p/5.corvane"), 1);
    EXPECT_EQ(recent.at(1), "/p/12.corvane");
}

TEST_F(AppTest, QuitIsRefusedWhileProgramsRun)
{
    struct Case {
        int running;
        const char *message;
    };
    const Case cases[] = {{1, "You have a program running."},
                          {2, "You have 2 program(s) running."}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.running);
        QTemporaryDir folder;
        AppController app(&prompts);
        prompts.alerts.clear();
        for (int i = 0; i < c.running; ++i) {
            DocWindowController *w =
                app.newProject(QDir(folder.path()).filePath(QString("P%1").arg(i)));
            ASSERT_NE(w, nullptr);
            startSleeping(w);
        }
        EXPECT_EQ(app.numberOfRunningTasks(), c.running);
        EXPECT_FALSE(app.userQuit());
        ASSERT_EQ(prompts.alerts.size(), 1);
        EXPECT_TRUE(prompts.alerts.first().startsWith(c.message))
            << prompts.alerts.first().toStdString();
        EXPECT_EQ(app.windows().size(), c.running);
        for (const auto &w : app.windows())
            w->runner()->killExecute();
    }
}

TEST_F(AppTest, StartWindowListsRecentProjectsAndOpensThem)
{
    AppController app(&prompts);
    const QString project = makeProject("Listed.corvane");
    app.noteRecentProject(project);
    app.noteRecentProject(path("Gone.corvane"));
    app.showStartWindowIfIdle();
    StartWindow *start = app.startWindow();
    ASSERT_NE(start, nullptr);
    QListWidget *list = start->recentList();
    ASSERT_EQ(list->count(), 2);
    EXPECT_FALSE(list->item(0)->flags() & Qt::ItemIsEnabled) << "a missing project is greyed";
    EXPECT_TRUE(list->item(1)->flags() & Qt::ItemIsEnabled);
    emit start->recentProjectChosen(list->item(1)->data(Qt::UserRole).toString());
    ASSERT_EQ(app.windows().size(), 1);
    EXPECT_TRUE(start->isHidden());
}

// (we had this bug) Closing the last project window with Ctrl+W left the application running
// without any window.
TEST_F(AppTest, ClosingTheLastWindowShowsTheStartWindow)
{
    AppController app(&prompts);
    DocWindowController *window = app.openProject(makeProject("Closed.corvane"));
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    EXPECT_TRUE(!app.startWindow() || app.startWindow()->isHidden());
    const QPointer<DocWindowController> guard(window);
    QTest::keyClick(window, Qt::Key_W, Qt::ControlModifier);
    QTRY_VERIFY(guard.isNull());
    EXPECT_TRUE(app.windows().isEmpty());
    ASSERT_NE(app.startWindow(), nullptr);
    EXPECT_TRUE(app.startWindow()->isVisible());
    // Every top-level window the user could reach: the start window and nothing hidden besides.
    int visible = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        visible += w->isVisible() ? 1 : 0;
    EXPECT_EQ(visible, 1);
}

// (we had this bug) The first-run list started on "f77", the first entry found.
TEST(FirstRunCompilerChoice, StartsOnGfortranWhenItWasFound)
{
    struct Case {
        const char *name;
        QStringList installed;
        qsizetype want;
    };
    const Case cases[] = {
        {"f77 first", {"/usr/bin/f77\n", "/usr/bin/f95\n", "/usr/bin/gfortran\n"}, 2},
        {"no gfortran", {"/usr/bin/f77\n", "/usr/bin/mpif90\n"}, 0},
        {"a versioned name is not gfortran itself", {"/usr/bin/f95\n", "gfortran-mp-12"}, 0},
        {"blank escaped in the folder", {"/usr/bin/f77\n", "/opt/my\\ gcc/gfortran\n"}, 1},
        {"nothing found", {}, -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(AppController::firstCompilerChoice(c.installed), c.want);
    }
}

// (we had this bug) The preferences window had no Close button and Escape did not close it.
TEST_F(AppTest, PreferencesCloseWithTheirButtonAndWithEscape)
{
    PreferencesWindow prefs(&prompts);
    for (const bool byKey : {false, true}) {
        SCOPED_TRACE(byKey);
        prefs.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&prefs));
        if (byKey) {
            QTest::keyClick(&prefs, Qt::Key_Escape);
        } else {
            auto *box = prefs.findChild<QDialogButtonBox *>("preferencesButtons");
            ASSERT_NE(box, nullptr);
            QPushButton *close = box->button(QDialogButtonBox::Close);
            ASSERT_NE(close, nullptr);
            QTest::mouseClick(close, Qt::LeftButton);
        }
        EXPECT_FALSE(prefs.isVisible());
    }
}

TEST_F(AppTest, PreferencesAddAndRemoveCompilersByHand)
{
    Defaults &d = Defaults::instance();
    d.setValue("foundCompilersArrayKey", QStringList{"/usr/bin/gfortran\n"});
    d.setValue("installedCompilers", QStringList{"/usr/bin/gfortran\n"});
    d.remove("addedCompilersArrayKey");
    PreferencesWindow prefs(&prompts);
    EXPECT_EQ(prefs.panes()->count(), 5);
    prefs.addCompiler("/opt/fc/bin/myfc");
    EXPECT_EQ(d.stringListValue("addedCompilersArrayKey"), QStringList({"/opt/fc/bin/myfc"}));
    EXPECT_EQ(prefs.compilerList()->count(), 2);
    EXPECT_EQ(d.stringValue("compilerPath"), "/opt/fc/bin/myfc");
    prefs.removeSelectedCompiler();
    EXPECT_FALSE(d.contains("addedCompilersArrayKey"));
    EXPECT_EQ(prefs.compilerList()->count(), 1);
    // A discovered compiler cannot be removed: only a beep.
    d.setValue("compilerPath", "/usr/bin/gfortran\n");
    d.setValue("addedCompilersArrayKey", QStringList{"/x/fc"});
    const int beeps = prompts.beeps;
    prefs.removeSelectedCompiler();
    EXPECT_EQ(prompts.beeps, beeps + 1);
}

TEST(StandaloneEditor, LoadsEditsSavesAndGuardsUnsavedText)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("x.f90");
    writeFile(file, "program x\nend program x\n");
    RecordingPrompts prompts(2); // "Cancel" when asked
    auto *editor = new StandaloneEditor(file, &prompts);
    editor->setAttribute(Qt::WA_DeleteOnClose, false);
    ASSERT_TRUE(editor->isLoaded());
    EXPECT_EQ(editor->editor()->toPlainText(), "program x\nend program x\n");
    editor->editor()->moveCursor(QTextCursor::End);
    QTest::keyClicks(editor->editor(), "! more");
    QCloseEvent refused;
    QCoreApplication::sendEvent(editor, &refused);
    EXPECT_FALSE(refused.isAccepted());
    EXPECT_EQ(prompts.asked.size(), 1);
    ASSERT_TRUE(editor->save());
    EXPECT_EQ(readFile(file), "program x\nend program x\n! more");
    QCloseEvent accepted;
    QCoreApplication::sendEvent(editor, &accepted);
    EXPECT_TRUE(accepted.isAccepted());
    delete editor;

    // A file that cannot be read is reported and cannot be overwritten.
    const QString folder = dir.filePath("folder.f90");
    QDir().mkpath(folder);
    StandaloneEditor unreadable(folder, &prompts);
    EXPECT_FALSE(unreadable.isLoaded());
    EXPECT_FALSE(unreadable.save());
    EXPECT_EQ(prompts.errors.size(), 1);
}

} // namespace

namespace
{

TEST(EditOption, WithoutAFileNameFailsWithAMessage)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const ProgramResult r = runProgram(corvaneExecutable(), {"--edit"}, {}, {}, 20000);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("--edit needs a file name")) << r.err.toStdString();
}

} // namespace
