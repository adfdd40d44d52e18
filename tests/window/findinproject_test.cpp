// Find in project in the window, driven with real key and mouse events: the search field fills the
// results outline, a row opens its file at its line, F3 and Shift+F3 step through the current
// file's matches, and the file-name field completes names and opens the chosen file.
#include "build/console.h"
#include "editor/editorviewcontroller.h"
#include "editor/corvanetextview.h"
#include "window/consoleview.h"
#include "window/filelistmodel.h"
#include "window/filenamefield.h"
#include "window/findcontroller.h"
#include "window/findpane.h"
#include "window/findresultsmodel.h"
#include "windowtestutil.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCompleter>
#include <QFile>
#include <QLineEdit>
#include <QToolButton>
#include <QTreeView>

using namespace corvane;
using namespace corvane::test;

namespace
{

class FindInWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        projectPath = fx.makeProject(
            {{"alpha.f90", "program alpha\n  call solve(x)\nend program alpha\n"},
             {"beta.f90", "module beta\ncontains\n  subroutine solve(x)\n    ! Solve it\n"
                          "  end subroutine solve\nend module beta\n"},
             {"gamma.f90", "module gamma\nend module gamma\n"},
             {"solver.f90", "module solver\nend module solver\n"}});
        window = fx.open(projectPath);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        find = window->findController();
        pane = find->findPane();
    }

    // Types text into the search field the way a user reaches it: Ctrl+Shift+F, text, Enter.
    void search(const QString &text)
    {
        QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(QApplication::focusWidget(), pane->searchField());
        QTest::keyClicks(QApplication::focusWidget(), text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    int editorLine() const { return window->editorController()->currentLineNumber(); }
    QString currentName() const
    {
        return window->currentFortranFile()
                   ? QFileInfo(window->currentFortranFile()->filePath()).fileName()
                   : QString();
    }
    void clickRow(const QModelIndex &index)
    {
        QTreeView *outline = pane->outline();
        outline->scrollTo(index);
        QTest::mouseClick(outline->viewport(), Qt::LeftButton, {},
                          outline->visualRect(index).center());
    }

    ProjectFixture fx;
    QString projectPath;
    std::unique_ptr<DocWindowController> window;
    FindController *find = nullptr;
    FindPane *pane = nullptr;
};

TEST_F(FindInWindowTest, TypingInTheFieldFillsTheOutline)
{
    search("solve");
    EXPECT_EQ(window->sideTab(), DocWindowController::FindPane);
    EXPECT_EQ(pane->shownRows(),
              (QStringList{"alpha.f90", "  2: call solve(x)", "beta.f90", "  3: subroutine solve(x)",
                           "  4: ! Solve it", "  5: end subroutine solve", "solver.f90",
                           "  1: module solver", "  2: end module solver"}));
    EXPECT_EQ(pane->statusText(), "6 matches in 3 files");
    ASSERT_TRUE(find->findDictionary());
    EXPECT_EQ(find->findDictionary()->keys(),
              (QStringList{fx.path("alpha.f90"), fx.path("beta.f90"), fx.path("solver.f90")}));

    // The case switch: capitals no longer match the lower-case word.
    QTest::mouseClick(pane->caseButton(), Qt::LeftButton);
    EXPECT_TRUE(find->caseSensitiveSearch());
    pane->searchField()->selectAll();
    search("Solve");
    EXPECT_EQ(pane->shownRows(), (QStringList{"beta.f90", "  4: ! Solve it"}));

    // The field's clear button drops the results.
    pane->searchField()->clear();
    EXPECT_TRUE(pane->shownRows().isEmpty());
    EXPECT_FALSE(find->findDictionary());
    EXPECT_TRUE(fx.prompts.alerts.isEmpty());
}

TEST_F(FindInWindowTest, EditedTextIsSearchedAndFailuresAreTold)
{
    // An edit that is not saved yet is what gets searched.
    window->changeFileTableSelectionToRow(window->fileListModel()->rowOf(
        window->document()->fortranFileNamed(fx.path("gamma.f90"))));
    window->editor()->moveCursor(QTextCursor::End);
    QTest::keyClicks(window->editor(), "! quench here");
    // A file removed behind the window's back is told in the outline; the search goes on.
    ASSERT_TRUE(QFile::remove(fx.path("beta.f90")));
    search("quench");
    EXPECT_EQ(pane->shownRows(),
              (QStringList{"The file \"beta.f90\" couldn't be opened: No such file or directory",
                           "gamma.f90", "  3: ! quench here"}));

    pane->searchField()->selectAll();
    search("nowhere");
    EXPECT_EQ(fx.prompts.alerts, QStringList{"The string \"nowhere\" could not be found"});
    EXPECT_EQ(pane->statusText(), "Not found");
    EXPECT_FALSE(find->findDictionary());

    pane->searchField()->selectAll();
    QTest::mouseClick(pane->regexButton(), Qt::LeftButton);
    search("(unclosed");
    EXPECT_TRUE(pane->statusText().contains("is not valid")) << pane->statusText().toStdString();
    EXPECT_EQ(fx.prompts.beeps, 1);
}

TEST_F(FindInWindowTest, ChoosingARowOpensTheFileAtTheLine)
{
    search("solve");
    FindResultsModel *model = pane->results();
    const QModelIndex beta = model->index(1, 0);
    clickRow(model->index(1, 0, beta)); // line 4
    EXPECT_EQ(currentName(), "beta.f90");
    EXPECT_EQ(window->currentTab(), DocWindowController::EditorTab);
    EXPECT_EQ(editorLine(), 4);
    // The whole line with its line end, as next and previous match select it.
    EXPECT_EQ(window->editor()->textCursor().selectedText(),
              QString("    ! Solve it") + QChar::ParagraphSeparator);

    clickRow(model->index(0, 0)); // a file's header opens it at its first line
    EXPECT_EQ(currentName(), "alpha.f90");
    EXPECT_EQ(editorLine(), 1);
}

TEST_F(FindInWindowTest, F3AndShiftF3StepThroughTheCurrentFilesMatches)
{
    search("solve");
    QAction *next = window->action("jumpToNextFind");
    ASSERT_TRUE(next);
    EXPECT_FALSE(next->isEnabled()); // no file in the editor yet
    clickRow(pane->results()->index(1, 0)); // beta.f90, line 1
    ASSERT_EQ(currentName(), "beta.f90");
    EXPECT_TRUE(next->isEnabled());

    QWidget *editor = window->editor();
    const struct {
        Qt::KeyboardModifiers modifiers;
        int line, beeps;
    } steps[] = {{Qt::NoModifier, 3, 0},    {Qt::NoModifier, 4, 0},   {Qt::NoModifier, 5, 0},
                 {Qt::NoModifier, 5, 1},    {Qt::ShiftModifier, 4, 1}, {Qt::ShiftModifier, 3, 1},
                 {Qt::ShiftModifier, 3, 2}, {Qt::NoModifier, 4, 2}};
    for (const auto &s : steps) {
        QTest::keyClick(editor, Qt::Key_F3, s.modifiers);
        EXPECT_EQ(editorLine(), s.line);
        EXPECT_EQ(fx.prompts.beeps, s.beeps);
    }

    // A file without matches: the commands are off.
    window->changeFileTableSelectionToRow(window->fileListModel()->rowOf(
        window->document()->fortranFileNamed(fx.path("gamma.f90"))));
    EXPECT_FALSE(next->isEnabled());
    EXPECT_FALSE(window->action("jumpToPreviousFind")->isEnabled());
}

TEST_F(FindInWindowTest, FindSelectionSearchesTheSelectedText)
{
    clickRow(QModelIndex()); // nothing: no crash on an empty outline
    window->changeFileTableSelectionToRow(0); // alpha.f90
    QTextCursor c = window->editor()->textCursor();
    c.setPosition(QStringLiteral("program alpha\n  call ").size());
    c.setPosition(c.position() + 5, QTextCursor::KeepAnchor);
    window->editor()->setTextCursor(c);
    window->editor()->setFocus();
    window->switchTabTo(DocWindowController::ConsoleTab); // choosing the file showed the editor
    EXPECT_FALSE(window->action("findSelectionInProject")->isEnabled()); // the console is in front
    window->switchTabTo(DocWindowController::EditorTab);
    EXPECT_TRUE(window->action("findSelectionInProject")->isEnabled());
    QTest::keyClick(window->editor(), Qt::Key_F, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(pane->searchField()->text(), "solve");
    EXPECT_EQ(pane->results()->rowCount(), 3);

    window->editor()->moveCursor(QTextCursor::End);
    find->findSelectionInProject();
    EXPECT_EQ(fx.prompts.beeps, 1);
}

TEST_F(FindInWindowTest, TheFileNameFieldCompletesAfterTwoCharactersAndOpensTheChoice)
{
    window->switchTabTo(DocWindowController::ConsoleTab);
    QTest::keyClick(window.get(), Qt::Key_P, Qt::ControlModifier);
    FileNameField *field = find->fileNameField();
    EXPECT_EQ(window->sideTab(), DocWindowController::FilesPane);
    ASSERT_EQ(QApplication::focusWidget(), field);
    EXPECT_EQ(field->fileNames(), (QStringList{"alpha.f90", "beta.f90", "gamma.f90", "solver.f90"}));

    QTest::keyClicks(field, "A");
    EXPECT_TRUE(field->offeredNames().isEmpty());
    QTest::keyClicks(field, ".");
    EXPECT_EQ(field->offeredNames(), (QStringList{"alpha.f90", "beta.f90", "gamma.f90"}));
    QAbstractItemView *popup = field->completions()->popup();
    EXPECT_FALSE(popup->currentIndex().isValid()); // nothing preselected
    QTest::keyClick(popup, Qt::Key_Down);
    QTest::keyClick(popup, Qt::Key_Down);
    QTest::keyClick(popup, Qt::Key_Return);
    EXPECT_EQ(field->text(), "beta.f90");
    EXPECT_EQ(currentName(), "beta.f90");
    EXPECT_EQ(window->currentTab(), DocWindowController::EditorTab);
    EXPECT_EQ(fx.prompts.beeps, 0);

    // Enter with a part of a name in other letter case; then a name that is no file.
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, "SOLV");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(currentName(), "solver.f90");
    field->selectAll();
    QTest::keyClicks(field, "zz");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(currentName(), "solver.f90");
    EXPECT_EQ(fx.prompts.beeps, 1);

    // The offered names follow the file list.
    window->removeFileAction(window->fileListModel()->rowOf(
        window->document()->fortranFileNamed(fx.path("gamma.f90"))));
    EXPECT_EQ(field->fileNames(), (QStringList{"alpha.f90", "beta.f90", "solver.f90"}));
}

TEST(FindInEmptyWindow, NoFilesIsToldInTheConsole)
{
    ProjectFixture fx;
    auto window = fx.open(fx.makeProject({}));
    window->findController()->findStringInProject("x");
    EXPECT_EQ(window->console()->toPlainText(), "Corvane: No Files to search\n");
    EXPECT_EQ(fx.prompts.beeps, 1);
    EXPECT_TRUE(fx.prompts.alerts.isEmpty());
}

} // namespace
