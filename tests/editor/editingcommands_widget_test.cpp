// The editing commands in the real editor widget, driven by QTest key events: Return keeps the
// indentation, Tab inserts blanks, every command is one undo step that Ctrl+Z takes back to the
// exact text before it, and the "Do..." template goes in through Ctrl+Space on an indented line
// with its markers reached by Ctrl+Shift+Space.
#include "editor/corvanetextview.h"
#include "editor/editorcommands.h"
#include "editor/editornavigator.h"
#include "editor/editorviewcontroller.h"
#include "settings/defaults.h"
#include "settings/settingskeys.h"
#include "settings/vocabulary.h"
#include "support/annotations.h"
#include "support/testutil.h"

#include <QAction>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

#include <gtest/gtest.h>

using namespace corvane;
using corvane::test::Annotations;

namespace
{

class EditingWidgetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_store = std::make_unique<Defaults>(
            std::make_unique<QSettings>(m_dir.filePath("settings.ini"), QSettings::IniFormat));
        m_editor = std::make_unique<EditorViewController>(*m_store, vocabulary());
        view()->resize(640, 400);
        view()->show();
        // Shortcuts of the view's actions need its window active.
        view()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(view()));
        show("");
    }

    static const Vocabulary &vocabulary()
    {
        static const Vocabulary v = Vocabulary::fromFile(CORVANE_TEST_DATA "/vocabulary.plist");
        return v;
    }

    CorvaneTextView *view() { return m_editor->textView(); }

    // Shows annotated text («selection» or ^caret) in a new document.
    void show(const QString &annotated, bool freeForm = true, QChar caretMark = u'^')
    {
        const Annotations a(annotated, caretMark);
        m_editor->showDocument(nullptr);
        m_doc = std::make_unique<QTextDocument>();
        m_doc->setPlainText(a.code());
        m_editor->setCodingMode(1);
        m_editor->setF90Coloring(freeForm);
        m_editor->showDocument(m_doc.get());
        m_editor->displayText();
        QTextCursor c(m_doc.get());
        if (a.ranges().isEmpty()) {
            c.setPosition(int(a.points().value(0, a.code().size())));
        } else {
            c.setPosition(int(a.range().location));
            c.setPosition(int(a.range().location + a.range().length), QTextCursor::KeepAnchor);
        }
        view()->setTextCursor(c);
        view()->setFocus();
    }

    QString text() const { return m_doc->toPlainText(); }
    void undoKey() { QTest::keyClick(view(), Qt::Key_Z, Qt::ControlModifier); }

    QTemporaryDir m_dir;
    std::unique_ptr<Defaults> m_store;
    std::unique_ptr<EditorViewController> m_editor;
    std::unique_ptr<QTextDocument> m_doc;
};

TEST_F(EditingWidgetTest, ReturnStartsTheNewLineWithTheIndentationOfTheLineEnded)
{
    const struct {
        const char *name;
        const char *before;
        bool indentLines;
        const char *after;
    } cases[] = {
        {"four blanks", "    x = 1^", true, "    x = 1\n    "},
        {"a line starting with a tab", "\tx = 1^", true, "\tx = 1\n"},
        {"blanks then a tab", "  \tx^", true, "  \tx\n  \t"},
        {"no indentation", "x = 1^", true, "x = 1\n"},
        {"inside the indentation", "  ^  x", true, "  \n    x"},
        {"in the middle of a line", "   a^b", true, "   a\n   b"},
        {"indenting off", "    x^", false, "    x\n"},
        {"over a selection", "  «abc»d", true, "  \n  d"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        m_store->setValue(keys::IndentlinesFlag, c.indentLines);
        show(QString::fromUtf8(c.before));
        const QString before = text();
        QTest::keyClick(view(), Qt::Key_Return);
        EXPECT_EQ(text(), QString::fromUtf8(c.after));
        // One added line, whatever the indentation, at the line after the caret's.
        EXPECT_EQ(m_editor->lineChange().numberOfLinesAddedOrDeleted, 1);
        undoKey();
        EXPECT_EQ(text(), before);
    }
    // Return at the end of a line records the following line.
    m_store->setValue(keys::IndentlinesFlag, true);
    show("a\n    b^\nc");
    QTest::keyClick(view(), Qt::Key_Return);
    EXPECT_EQ(m_editor->lineChange().affectedLineNumber, 3u);
    EXPECT_EQ(view()->textCursor().position(), int(QString("a\n    b\n    ").size()));
}

TEST_F(EditingWidgetTest, TabInsertsTheIndentationSizeInBlanks)
{
    show("x^");
    QTest::keyClick(view(), Qt::Key_Tab);
    EXPECT_EQ(text(), "x   ");
    m_store->setValue(keys::Indentsizekey, 5);
    QTest::keyClick(view(), Qt::Key_Tab);
    EXPECT_EQ(text(), "x        ");
    // A size of 0 would make Tab do nothing: one blank at least.
    m_store->setValue(keys::Indentsizekey, 0);
    QTest::keyClick(view(), Qt::Key_Tab);
    EXPECT_EQ(text(), "x         ");
    EXPECT_FALSE(text().contains('\t'));
    // Consecutive insertions at the caret are one undo step, as typing is.
    undoKey();
    EXPECT_EQ(text(), "x");

    // Alt+Tab inserts nothing: it goes to the next insert marker.
    m_store->setValue(keys::Indentsizekey, 3);
    show("|call f(!^)", true, u'|');
    QTest::keyClick(view(), Qt::Key_Tab, Qt::AltModifier);
    EXPECT_EQ(text(), "call f(!^)");
    EXPECT_EQ(view()->textCursor().selectedText(), "!^");
}

// Each command on a text and selection: the text changes, the undo title is the command's, and
// one Ctrl+Z gives back the text byte for byte.
TEST_F(EditingWidgetTest, EveryCommandIsOneUndoStepBackToTheExactText)
{
    const struct {
        const char *command;
        bool freeForm;
        const char *before;
        const char *after;
        const char *title;
    } cases[] = {
        {"toggleComment", true, "«a = 1\nb = 2\n»c\n", "!a = 1\n!b = 2\nc\n", "Comment"},
        {"toggleComment", true, "«!a = 1\n!b = 2\n»c\n", "a = 1\nb = 2\nc\n", "unComment"},
        {"commentOut", false, "      x^ = 1\n", "C      x = 1\n", "Comment"},
        {"unCommentOut", false, "«C      x = 1\nc  y\n»", "      x = 1\nc  y\n", "unComment"},
        {"unCommentOut", true, "a\n!b^", "a\nb", "unComment"},
        {"makeSelectionIntoCommentBlock", true, "    x\n«    a = 1\n»",
         "    x\n!\n!   -----\n!   a = 1\n!   -----\n!\n", "Comment Block"},
        {"ShiftLinesRight", false, "«      x = 1\nC note\n\n»", "         x = 1\nC note\n   \n",
         "Shift"},
        // Undo of a left shift gives back exactly the lines as they were, the ones that did not
        // move included (a comment line, a line of two blanks).
        {"ShiftLinesLeft", true, "«   a\n!  b\n  c\n      d\n»", "a\n!  b\n  c\n   d\n", "Shift"},
        {"insertRealKind", true, "x = 1.5^", "x = 1.5D0", "Insert Real Kind"},
        {"uppercaseWord", true, "«real» x", "REAL x", "Make Upper Case"},
        {"lowercaseWord", true, "«END» DO", "end DO", "Make Lower Case"},
        {"capitalizeWord", true, "«hello world»", "Hello World", "Capitalize"},
        {"completeProcedure", true, "subroutine solve(a)^\nend subroutine\n",
         "subroutine solve(a)\nend subroutine solve\n", "Procedure Completion"},
    };
    EditorCommands *commands = m_editor->commands();
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.command) + ": " + c.before);
        show(QString::fromUtf8(c.before), c.freeForm);
        const QString before = text();
        QAction *action = QString(c.command) == "completeProcedure"
                              ? m_editor->navigator()->completeProcedureAction()
                              : commands->action(c.command);
        ASSERT_NE(action, nullptr);
        QSignalSpy changes(m_editor.get(), &EditorViewController::fortranFileHasChanged);
        action->trigger();
        EXPECT_EQ(text(), QString::fromUtf8(c.after));
        // The change steps run once for the whole command.
        EXPECT_EQ(changes.count(), 1);
        EXPECT_EQ(m_editor->navigator()->lastActionName(), QString(c.title));
        EXPECT_TRUE(m_doc->isUndoAvailable());
        undoKey();
        EXPECT_EQ(text(), before);
        EXPECT_FALSE(m_doc->isUndoAvailable()) << "more than one undo step";
    }

    // The time stamp: today's date goes in, and goes again.
    show("! ^");
    commands->action("insertDate")->trigger();
    EXPECT_EQ(m_editor->navigator()->lastActionName(), "Insert Time Stamp");
    EXPECT_TRUE(text().contains(QString::number(QDate::currentDate().year() % 100)));
    undoKey();
    EXPECT_EQ(text(), "! ");
}

TEST_F(EditingWidgetTest, CommandsSelectTheirLinesAndRecordTheLineChange)
{
    show("a\n«b\nc\n»d\n");
    m_editor->commands()->commentOutSelection();
    EXPECT_EQ(view()->textCursor().selectedText(), QString("!b\u2029!c\u2029"));
    EXPECT_EQ(m_editor->lineChange().numberOfLinesAddedOrDeleted, 0);

    show("a\n«b\n»");
    m_editor->commands()->makeSelectionIntoACommentBlock();
    EXPECT_EQ(text(), "a\n!\n!-\n!b\n!-\n!\n");
    EXPECT_EQ(m_editor->lineChange().numberOfLinesAddedOrDeleted, 4);

    // The caret at the very end of an empty last line touches no other line.
    show("a\nb\n^");
    m_editor->commands()->commentOutSelection();
    EXPECT_EQ(text(), "a\nb\n!");
    m_editor->commands()->shiftLinesRight();
    EXPECT_EQ(text(), "a\nb\n!");
    show("^");
    m_editor->commands()->shiftLinesLeft();
    m_editor->commands()->unCommentOutSelection();
    m_editor->commands()->makeSelectionIntoACommentBlock();
    EXPECT_EQ(text(), "!\n!\n!\n!\n");
}

TEST_F(EditingWidgetTest, PlainTextModeShowsTheMarkerAndABriefNotice)
{
    m_editor->commands()->toggleCodingMode();
    EXPECT_EQ(m_editor->codingMode(), 0u);
    EXPECT_TRUE(view()->plainTextMarkerShown());
    QPointer<QWidget> notice = m_editor->commands()->plainTextNotice();
    ASSERT_TRUE(notice);
    EXPECT_TRUE(notice->isVisible());
    // Shown for half a second, then faded out and closed.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !notice; }, 3000));
    m_editor->commands()->toggleCodingMode();
    EXPECT_EQ(m_editor->codingMode(), 1u);
    EXPECT_FALSE(view()->plainTextMarkerShown());
    // Commenting puts the editor back into coding mode.
    m_editor->commands()->toggleCodingMode();
    m_editor->commands()->commentOutSelection();
    EXPECT_EQ(m_editor->codingMode(), 1u);
}

TEST_F(EditingWidgetTest, DoTemplateThroughExplicitCompletionOnAnIndentedLine)
{
    show("program p\n  Do^\nend program p\n");
    QTest::keyClick(view(), Qt::Key_Space, Qt::ControlModifier);
    ASSERT_TRUE(view()->isCompletionListOpen());
    EXPECT_TRUE(view()->completionOffer()->candidates.contains("Do..."));
    QTest::keyClick(view(), Qt::Key_Return);
    EXPECT_EQ(text(),
              "program p\n  DO !^ \n     !^ \n  END DO \n  !^ \nend program p\n");
    // The caret at the start of the insertion; Ctrl+Shift+Space then selects each marker.
    const int start = int(QString("program p\n  ").size());
    EXPECT_EQ(view()->textCursor().position(), start);
    const int markers[] = {start + 3, int(text().indexOf("!^", start + 5)),
                           int(text().lastIndexOf("!^"))};
    for (int at : markers) {
        QTest::keyClick(view(), Qt::Key_Space, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(view()->textCursor().selectionStart(), at);
        EXPECT_EQ(view()->textCursor().selectedText(), "!^");
    }
    // Alt+Tab (where the window manager lets it through) does the same, from the caret.
    QTextCursor c = view()->textCursor();
    c.setPosition(start);
    view()->setTextCursor(c);
    QTest::keyClick(view(), Qt::Key_Tab, Qt::AltModifier);
    EXPECT_EQ(view()->textCursor().selectionStart(), markers[0]);
    QTest::keyClick(view(), Qt::Key_Tab, Qt::AltModifier);
    EXPECT_EQ(view()->textCursor().selectionStart(), markers[1]);
    // The whole template is one undo step.
    undoKey();
    EXPECT_EQ(text(), "program p\n  Do\nend program p\n");
}

} // namespace
