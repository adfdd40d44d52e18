// The editing commands in the project window's Format menu and in the standalone editor: their
// keys reach the editor, each is undone by one Ctrl+Z, and the project window enables them only
// while the editor tab is in front (the word-case commands also need a selection).
#include "editor/corvanetextview.h"
#include "project/fortranfile.h"
#include "window/filelistmodel.h"
#include "window/standaloneeditor.h"
#include "windowtestutil.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace
{

const char *const kEditorCommands[] = {
    "toggleComment",  "commentOut",     "unCommentOut",      "makeSelectionIntoCommentBlock",
    "ShiftLinesRight", "ShiftLinesLeft", "insertRealKind",    "insertDate",
    "toggleCommentMode", "completeProcedure",
};

QStringList menuCommands(QMainWindow *window, const QString &title)
{
    QStringList names;
    for (QAction *top : window->menuBar()->actions())
        if (top->menu() && top->text().remove('&') == title)
            for (QAction *a : top->menu()->actions())
                if (!a->isSeparator())
                    names << a->objectName();
    return names;
}

// Key presses (a key with modifiers) and the text they leave, from "a = 1\nb = 2\n" with the
// caret in the first line; each is undone with Ctrl+Z.
struct KeyCase {
    const char *name;
    int key;
    Qt::KeyboardModifiers modifiers;
    const char *after;
};
const KeyCase kKeyCases[] = {
    {"Ctrl+/ comments", Qt::Key_Slash, Qt::ControlModifier, "!a = 1\nb = 2\n"},
    {"Ctrl+D comments", Qt::Key_D, Qt::ControlModifier, "!a = 1\nb = 2\n"},
    {"Ctrl+] shifts right", Qt::Key_BracketRight, Qt::ControlModifier, "   a = 1\nb = 2\n"},
    {"Alt+Shift+A makes a comment block", Qt::Key_A, Qt::AltModifier | Qt::ShiftModifier,
     "!\n!-----\n!a = 1\n!-----\n!\nb = 2\n"},
    {"Ctrl+Alt+K inserts the real kind", Qt::Key_K, Qt::ControlModifier | Qt::AltModifier,
     "D0a = 1\nb = 2\n"},
};

void pressAndUndo(CorvaneTextView *editor, const KeyCase &c)
{
    SCOPED_TRACE(c.name);
    editor->moveCursor(QTextCursor::Start);
    const QString before = editor->toPlainText();
    QTest::keyClick(editor, Qt::Key(c.key), c.modifiers);
    EXPECT_EQ(editor->toPlainText(), QString(c.after));
    QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editor->toPlainText(), before);
}

class EditingWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = fx.open(fx.makeProject({{"a.f90", "a = 1\nb = 2\n"},
                                         {"s.f90", "subroutine solve(a)\nend subroutine\n"}}));
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        select("a.f90");
    }
    void select(const QString &name)
    {
        FortranFile *file = window->document()->fortranFileNamed(fx.path(name));
        window->changeFileTableSelectionToRow(window->fileListModel()->rowOf(file));
        window->switchTabTo(DocWindowController::EditorTab);
        window->editor()->setFocus();
        window->editor()->moveCursor(QTextCursor::Start);
    }

    ProjectFixture fx;
    std::unique_ptr<DocWindowController> window;
};

} // namespace

TEST_F(EditingWindowTest, FormatMenuCommandsWorkOnlyWhileTheEditorTabIsInFront)
{
    const QStringList format = menuCommands(window.get(), "Format");
    for (const char *name : {"toggleComment", "commentOut", "unCommentOut",
                             "makeSelectionIntoCommentBlock", "ShiftLinesRight", "ShiftLinesLeft",
                             "uppercaseWord", "lowercaseWord", "capitalizeWord", "insertRealKind",
                             "insertDate", "toggleCommentMode"})
        EXPECT_TRUE(format.contains(name)) << name;

    for (const char *name : kEditorCommands) {
        ASSERT_NE(window->action(name), nullptr) << name;
        EXPECT_TRUE(window->action(name)->isEnabled()) << name;
    }
    for (const KeyCase &c : kKeyCases)
        pressAndUndo(window->editor(), c);

    window->switchTabTo(DocWindowController::ConsoleTab);
    for (const char *name : kEditorCommands)
        EXPECT_FALSE(window->action(name)->isEnabled()) << name;
    window->switchTabTo(DocWindowController::EditorTab);
    for (const char *name : kEditorCommands)
        EXPECT_TRUE(window->action(name)->isEnabled()) << name;
}

TEST_F(EditingWindowTest, WordCaseNeedsASelectionInTheEditor)
{
    EXPECT_FALSE(window->action("uppercaseWord")->isEnabled());
    QTextCursor c = window->editor()->textCursor();
    c.setPosition(0);
    c.setPosition(1, QTextCursor::KeepAnchor);
    window->editor()->setTextCursor(c);
    ASSERT_TRUE(window->action("uppercaseWord")->isEnabled());
    QTest::keyClick(window->editor(), Qt::Key_U, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(window->editor()->toPlainText(), "A = 1\nb = 2\n");
    QTest::keyClick(window->editor(), Qt::Key_U, Qt::AltModifier);
    EXPECT_EQ(window->editor()->toPlainText(), "a = 1\nb = 2\n");
    window->switchTabTo(DocWindowController::ConsoleTab);
    EXPECT_FALSE(window->action("uppercaseWord")->isEnabled());
}

// Ctrl+Shift+E was also Open in External Editor: the two made each other ambiguous, and the key
// did nothing (we had this fault).
TEST_F(EditingWindowTest, CompleteProcedureKeyReachesTheEditor)
{
    select("s.f90");
    QTest::keyClick(window->editor(), Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(window->editor()->toPlainText(), "subroutine solve(a)\nend subroutine solve\n");
    QTest::keyClick(window->editor(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(window->editor()->toPlainText(), "subroutine solve(a)\nend subroutine\n");
}

TEST(StandaloneEditorCommands, FormatMenuAndKeysWorkInTheEditWindow)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath("a.f90");
    writeFile(path, "a = 1\nb = 2\n");
    RecordingPrompts prompts;
    StandaloneEditor window(path, &prompts);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_TRUE(menuCommands(&window, "Format").contains("toggleComment"));
    window.editor()->setFocus();
    window.editor()->moveCursor(QTextCursor::Start);
    for (const KeyCase &c : kKeyCases)
        pressAndUndo(window.editor(), c);
    window.editor()->document()->setModified(false);
}
