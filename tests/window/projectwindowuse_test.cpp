// The project window as a new user meets it, with the real make and gfortran where a build is
// involved: a failed save stops the build, Run builds a stale program first and feeds the input
// tab's unsaved text, Remove File and the Delete key ask about unsaved edits, the modified marks
// follow the undo history, selecting a file shows the editor, and the console's colours.
#include "build/builddriver.h"
#include "build/rundriver.h"
#include "project/fortranfile.h"
#include "settings/defaults.h"
#include "settings/settingskeys.h"
#include "editor/corvanetextview.h"
#include "window/consoleview.h"
#include "window/filelistmodel.h"
#include "windowtestutil.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListView>
#include <QFontInfo>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStandardPaths>
#include <QToolBar>
#include <gtest/gtest.h>

namespace corvane
{
namespace
{

using test::pressToolbarItem;

constexpr int kBuildTimeoutMs = 120000;

const QColor kInfo("#0000ff");
const QColor kError("#ff0000");
const QColor kNormal("#000000");

QColor colourOf(const ConsoleView *view, const QString &text)
{
    const int at = int(view->toPlainText().indexOf(text));
    if (at < 0)
        return QColor();
    QTextCursor c(view->document());
    c.setPosition(at + 1);
    return c.charFormat().foreground().color();
}

const char kReader[] = "program p\n"
                       "  integer :: n\n"
                       "  read *, n\n"
                       "  print '(a,i0)', 'v1 got ', n\n"
                       "end program p\n";

class WindowUse : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Defaults &d = Defaults::instance();
        d.setValue(keys::consoleNormalColor, kNormal.name());
        d.setValue(keys::consoleInfoColor, kInfo.name());
        d.setValue(keys::consoleErrorColor, kError.name());
        d.setValue(keys::clearConsoleOnCompile, true);
        d.setValue(keys::parallelBuild, false);
        d.setValue(keys::autoSaveFiles, true);
        d.setValue(keys::environmentVariables, QVariantMap());
        m_gfortran = QStandardPaths::findExecutable("gfortran");
    }

    bool haveCompiler() const
    {
        return !m_gfortran.isEmpty() && !QStandardPaths::findExecutable("make").isEmpty();
    }

    // A debug project built with gfortran, opened and shown.
    std::unique_ptr<DocWindowController>
    openProject(const QList<std::pair<QString, QByteArray>> &sources,
                const QString &flags = "-O0")
    {
        const QString path = fx.makeProject(sources);
        auto opened = MyDocument::open(path, fx.prompts);
        EXPECT_TRUE(opened.ok());
        MyDocument &doc = *opened.value();
        doc.setProjectCompilerPath(m_gfortran.isEmpty() ? "gfortran" : m_gfortran);
        doc.setDebugCompilerFlags(flags);
        doc.setIsDebugBuild(true);
        EXPECT_TRUE(doc.write(path).ok());
        return fx.openShown(path);
    }


    static bool waitIdle(DocWindowController *window, int timeoutMs = kBuildTimeoutMs)
    {
        return QTest::qWaitFor([&] { return !window->runDriver()->processIsRunning(); }, timeoutMs);
    }

    // Clicks the file list's row as a user does.
    static void clickRow(DocWindowController *window, int row)
    {
        QListView *list = window->fileList();
        const QRect rect = list->visualRect(list->model()->index(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }

    // Dates the build's products back, so that a source written now is newer.
    void makeOlder(const QStringList &names)
    {
        for (const QString &name : names) {
            QFile f(fx.path(name));
            ASSERT_TRUE(f.open(QIODevice::ReadWrite)) << name.toStdString();
            ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-10),
                                      QFileDevice::FileModificationTime));
        }
    }

    test::ProjectFixture fx;
    QString m_gfortran;
};

// (we had this bug) A save that failed before a build was told in a sheet, and the build went on
// compiling the old text on disk and reported "Compilation successful.".
TEST_F(WindowUse, AFailedSaveStopsTheBuildWithTheErrorInTheConsole)
{
    if (!haveCompiler())
        GTEST_SKIP() << "gfortran and make are needed";
    auto window = openProject({{"p.f90", kReader}});
    clickRow(window.get(), 0);
    ASSERT_EQ(window->currentFileName(), "p.f90");
    window->editor()->setFocus();
    QTest::keyClicks(window->editor(), "! edited");
    QTest::keyClick(window->editor(), Qt::Key_Return);
    ASSERT_EQ(window->currentFortranFile()->fileState(), FortranFile::Modified);
    // The file cannot be written any more: its name is now a folder's.
    ASSERT_TRUE(QFile::remove(fx.path("p.f90")));
    ASSERT_TRUE(QDir().mkdir(fx.path("p.f90")));

    pressToolbarItem(window.get(), "build");
    ASSERT_TRUE(waitIdle(window.get()));
    ConsoleView *console = window->console();
    const QString text = console->toPlainText();
    EXPECT_EQ(window->currentTab(), DocWindowController::ConsoleTab);
    EXPECT_EQ(colourOf(console, "could not be saved"), kError) << text.toStdString();
    EXPECT_EQ(colourOf(console, "Nothing was compiled"), kError) << text.toStdString();
    EXPECT_FALSE(text.contains("Compilation successful")) << text.toStdString();
    EXPECT_FALSE(text.contains("Scanning for dependencies")) << text.toStdString();
    EXPECT_FALSE(QFileInfo::exists(fx.path("DemoTesting")));
    EXPECT_FALSE(QFileInfo::exists(fx.path("Build_Testing/Demo.mak")));
    EXPECT_EQ(window->currentFortranFile()->fileState(), FortranFile::Modified)
        << "the edits stay unsaved";
    EXPECT_TRUE(window->action("build")->isEnabled());
}

// (we had this bug) Run after a saved change ran the old program, and a run with an input file
// fed the file's old text while the tab showed the new one.
TEST_F(WindowUse, RunBuildsAStaleProgramFirstAndFeedsTheInputTabsText)
{
    if (!haveCompiler())
        GTEST_SKIP() << "gfortran and make are needed";
    test::writeFile(fx.path("input.txt"), "1\n");
    auto window = openProject({{"p.f90", kReader}});
    MyDocument *doc = window->document();
    doc->setInputOption(0);
    doc->setInputFileName(fx.path("input.txt"));
    ConsoleView *console = window->console();

    pressToolbarItem(window.get(), "build");
    ASSERT_TRUE(waitIdle(window.get())) << console->toPlainText().toStdString();
    pressToolbarItem(window.get(), "run");
    ASSERT_TRUE(QTest::qWaitFor([&] { return console->toPlainText().contains("v1 got 1"); },
                                kBuildTimeoutMs))
        << console->toPlainText().toStdString();
    ASSERT_TRUE(waitIdle(window.get()));

    // Another program changes the source; the user edits the input without saving it.
    QByteArray changed(kReader);
    changed.replace("v1 got", "v2 got");
    test::writeFile(fx.path("p.f90"), changed);
    makeOlder({"DemoTesting", "Build_Testing/p.o"});
    window->showInputFile();
    QPlainTextEdit *input = window->inputFileEditor();
    ASSERT_EQ(input->toPlainText(), "1\n");
    input->selectAll();
    QTest::keyClicks(input, "7");
    ASSERT_TRUE(doc->inputFileWasEdited());

    pressToolbarItem(window.get(), "run");
    ASSERT_TRUE(QTest::qWaitFor([&] { return console->toPlainText().contains("got 7"); },
                                kBuildTimeoutMs))
        << console->toPlainText().toStdString();
    ASSERT_TRUE(waitIdle(window.get()));
    const QString text = console->toPlainText();
    EXPECT_TRUE(text.contains("v2 got 7")) << text.toStdString();
    EXPECT_EQ(colourOf(console, "Corvane: The program is older than its sources, so it is built "
                                "first."),
              kInfo)
        << text.toStdString();
    EXPECT_LT(text.indexOf("Compilation successful"), text.indexOf("v2 got 7"));
    EXPECT_EQ(test::readFile(fx.path("input.txt")), "7");
    EXPECT_FALSE(doc->inputFileWasEdited());

    // Up to date now: Run runs at once.
    pressToolbarItem(window.get(), "run");
    ASSERT_TRUE(waitIdle(window.get()));
    EXPECT_EQ(console->toPlainText().count("built first"), 1);
    EXPECT_EQ(console->toPlainText().count("v2 got 7"), 2);
}

// A failed build started by Run runs nothing.
TEST_F(WindowUse, RunRunsNothingWhenTheBuildItStartedFails)
{
    if (!haveCompiler())
        GTEST_SKIP() << "gfortran and make are needed";
    auto window = openProject({{"p.f90", "program p\n  print *, 'previous build'\nend program p\n"}});
    pressToolbarItem(window.get(), "build");
    ASSERT_TRUE(waitIdle(window.get()));
    test::writeFile(fx.path("p.f90"), "program p\n  print *, 'new'\n  call \nend program p\n");
    makeOlder({"DemoTesting", "Build_Testing/p.o"});
    window->document()->setInputOption(2);
    pressToolbarItem(window.get(), "run");
    ASSERT_TRUE(waitIdle(window.get()));
    QTest::qWait(200);
    EXPECT_FALSE(window->runDriver()->processIsRunning());
    const QString text = window->console()->toPlainText();
    EXPECT_TRUE(text.contains("built first")) << text.toStdString();
    EXPECT_FALSE(text.contains("previous build")) << text.toStdString();
}

// (we had this bug) Remove File threw unsaved edits away without a question.
TEST_F(WindowUse, RemovingAnEditedFileAsksAndTheDeleteKeyTakesTheSamePath)
{
    auto window = openProject({{"a.f90", "program a\nend program a\n"},
                               {"b.f90", "subroutine b\nend subroutine b\n"}});
    MyDocument *doc = window->document();
    clickRow(window.get(), 0);
    ASSERT_EQ(window->currentFileName(), "a.f90");
    QTest::keyClicks(window->editor(), "! a ");

    // Delete in the list, Cancel: nothing goes.
    fx.prompts.script = {2};
    window->fileList()->setFocus();
    QTest::keyClick(window->fileList(), Qt::Key_Delete);
    ASSERT_EQ(fx.prompts.asked.size(), 1);
    EXPECT_TRUE(fx.prompts.asked.last().contains("a.f90")) << fx.prompts.asked.last().toStdString();
    EXPECT_EQ(doc->projectFiles().size(), 2);
    EXPECT_EQ(window->currentFortranFile()->fileState(), FortranFile::Modified);

    // Save: the edits are written, then the file leaves the project.
    fx.prompts.script = {0};
    QTest::keyClick(window->fileList(), Qt::Key_Delete);
    EXPECT_EQ(doc->projectFiles().size(), 1);
    EXPECT_TRUE(test::readFile(fx.path("a.f90")).startsWith("! a program a"))
        << test::readFile(fx.path("a.f90")).toStdString();

    // Don't Save through the command: the disk keeps its text.
    clickRow(window.get(), 0);
    ASSERT_EQ(window->currentFileName(), "b.f90");
    QTest::keyClicks(window->editor(), "! b ");
    fx.prompts.script = {1};
    window->action("removeFile")->trigger();
    EXPECT_EQ(fx.prompts.asked.size(), 3);
    EXPECT_TRUE(doc->projectFiles().isEmpty());
    EXPECT_EQ(test::readFile(fx.path("b.f90")), "subroutine b\nend subroutine b\n");

    // A file without edits goes without a question.
    window->addFileAction({fx.path("b.f90")});
    clickRow(window.get(), 0);
    window->fileList()->setFocus();
    QTest::keyClick(window->fileList(), Qt::Key_Delete);
    EXPECT_EQ(fx.prompts.asked.size(), 3);
    EXPECT_TRUE(doc->projectFiles().isEmpty());
}

// (we had this bug) Undoing back to the saved text kept the file marked modified, and the
// title's mark stood after the file's name although it is the project's.
TEST_F(WindowUse, UndoingBackToTheSavedTextLeavesTheFileUnmodified)
{
    auto window = openProject({{"a.f90", "program a\nend program a\n"},
                               {"b.f90", "subroutine b\nend subroutine b\n"}});
    clickRow(window.get(), 0);
    FortranFile *a = window->currentFortranFile();
    ASSERT_NE(a, nullptr);
    EXPECT_FALSE(window->isWindowModified());
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("Demo[*] \u2014 a.f90"));

    window->editor()->setFocus();
    QTest::keyClicks(window->editor(), "xy");
    EXPECT_EQ(a->fileState(), FortranFile::Modified);
    EXPECT_TRUE(window->isWindowModified());
    const QModelIndex row = window->fileListModel()->index(0);
    EXPECT_FALSE(row.data(Qt::DecorationRole).value<QIcon>().isNull()) << "the modified mark";

    QTest::keyClick(window->editor(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(window->editor(), Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(a->text(), "program a\nend program a\n");
    EXPECT_EQ(a->fileState(), FortranFile::Saved);
    EXPECT_FALSE(window->isWindowModified());
    EXPECT_TRUE(window->fileListModel()->index(0).data(Qt::DecorationRole).value<QIcon>().isNull());
    // Redo makes it modified again; switching files keeps each file's own state.
    QTest::keyClick(window->editor(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(a->fileState(), FortranFile::Modified);
    clickRow(window.get(), 1);
    EXPECT_EQ(a->fileState(), FortranFile::Modified);
    EXPECT_EQ(window->currentFortranFile()->fileState(), FortranFile::Saved);
    EXPECT_TRUE(window->isWindowModified());

    // Saving marks the saved text; undo past it modifies, redo back to it does not.
    ASSERT_TRUE(window->saveDocument());
    EXPECT_EQ(a->fileState(), FortranFile::Saved);
    EXPECT_FALSE(window->isWindowModified());
    clickRow(window.get(), 0);
    window->editor()->setFocus();
    QTest::keyClick(window->editor(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(a->fileState(), FortranFile::Modified);
    QTest::keyClick(window->editor(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(a->fileState(), FortranFile::Saved);
    EXPECT_FALSE(window->isWindowModified());
}

// (we had this bug) A build's warnings were shown in the error colour like its errors.
TEST_F(WindowUse, BuildWarningsTakeTheInfoColourAndAFailedBuildIsNotCompleted)
{
    if (!haveCompiler())
        GTEST_SKIP() << "gfortran and make are needed";
    auto window = openProject(
        {{"w.f90", "program w\n  integer :: unused\n  print *, 1\nend program w\n"}},
        "-O0 -Wall");
    ConsoleView *console = window->console();
    pressToolbarItem(window.get(), "build");
    ASSERT_TRUE(waitIdle(window.get()));
    QString text = console->toPlainText();
    ASSERT_TRUE(text.contains("Warning: Unused variable")) << text.toStdString();
    EXPECT_EQ(colourOf(console, "Warning: Unused variable"), kInfo) << text.toStdString();
    EXPECT_EQ(colourOf(console, "w.f90:2:"), kInfo) << "the warning's location line";
    EXPECT_EQ(colourOf(console, "integer :: unused"), kInfo) << "its source line";
    EXPECT_TRUE(text.contains("Corvane: Compilation successful."));
    EXPECT_TRUE(text.endsWith("Corvane: Execution completed.\n")) << text.toStdString();

    test::writeFile(fx.path("w.f90"), "program w\n  call\nend program w\n");
    pressToolbarItem(window.get(), "build");
    ASSERT_TRUE(waitIdle(window.get()));
    QTest::qWait(100);
    text = console->toPlainText();
    EXPECT_EQ(colourOf(console, "Error: Syntax error"), kError) << text.toStdString();
    EXPECT_EQ(colourOf(console, "w.f90:2:"), kError) << "the error's location line";
    EXPECT_FALSE(text.contains("Execution completed")) << text.toStdString();
    EXPECT_FALSE(text.contains("Compilation successful")) << text.toStdString();
}

// (we had this bug) Choosing a file in the list left the console in front: nothing visible
// happened.
TEST_F(WindowUse, ChoosingAFileShowsTheEditorAndKeepsTheKeyboardInTheList)
{
    auto window = openProject({{"a.f90", "program a\nend program a\n"},
                               {"b.f90", "subroutine b\nend subroutine b\n"}});
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->switchTabTo(DocWindowController::ConsoleTab);
    clickRow(window.get(), 1);
    EXPECT_EQ(window->currentFileName(), "b.f90");
    EXPECT_EQ(window->currentTab(), DocWindowController::EditorTab);
    EXPECT_EQ(QApplication::focusWidget(), window->fileList());
    // Arrow keys in the list go on choosing files with the editor in front.
    window->switchTabTo(DocWindowController::NotesTab);
    QTest::keyClick(window->fileList(), Qt::Key_Up);
    EXPECT_EQ(window->currentFileName(), "a.f90");
    EXPECT_EQ(window->currentTab(), DocWindowController::EditorTab);
    EXPECT_EQ(QApplication::focusWidget(), window->fileList());
}

// (we had this bug) The input file was edited in a proportional font without line numbers.
TEST_F(WindowUse, TheInputFileTabUsesTheEditorsFontAndRuler)
{
    test::writeFile(fx.path("input.txt"), "1 2 3\n4 5 6\n");
    auto window = openProject({{"a.f90", "program a\nend program a\n"}});
    window->document()->setInputOption(0);
    window->document()->setInputFileName(fx.path("input.txt"));
    window->showInputFile();
    auto *input = qobject_cast<CorvaneTextView *>(window->inputFileEditor());
    ASSERT_NE(input, nullptr);
    EXPECT_TRUE(input->lineNumbersShown());
    EXPECT_EQ(input->font().family(), window->editor()->font().family());
    EXPECT_TRUE(QFontInfo(input->font()).fixedPitch() == QFontInfo(window->editor()->font()).fixedPitch());
    EXPECT_GT(input->viewport()->x(), 0) << "room for the line numbers";
}

// (we had this bug) At 800 x 500 the side panes kept their widths and the editor got about
// 250 pixels; the window could not be made smaller than 550 x 411.
TEST_F(WindowUse, OnASmallScreenTheSidePanesGiveWayToTheEditor)
{
    auto window = openProject({{"a.f90", "program a\nend program a\n"}});
    clickRow(window.get(), 0);
    window->resize(800, 500);
    QTest::qWait(50);
    EXPECT_GE(window->editor()->width(), DocWindowController::kMinimumWorkAreaWidth - 10)
        << window->editor()->width();
    EXPECT_LT(window->minimumSizeHint().width(), 550);
    // The side panes can be collapsed by dragging; the work area cannot.
    auto *splitter = window->findChild<QSplitter *>("mainSplitter");
    ASSERT_NE(splitter, nullptr);
    EXPECT_TRUE(splitter->isCollapsible(0));
    EXPECT_FALSE(splitter->isCollapsible(1));
    EXPECT_TRUE(splitter->isCollapsible(2));
}

} // namespace
} // namespace corvane
