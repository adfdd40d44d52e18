// The structure features in the real editor widget, driven by key and mouse events: the pop-up
// following the caret and jumping, the read-out and the line field, the bracket highlight and
// double-click selection, closing brackets as typed, the next insert marker, end-line completion.
#include "editor/corvanetextview.h"
#include "editor/editorheader.h"
#include "editor/editornavigator.h"
#include "editor/editorviewcontroller.h"
#include "editor/jumplistpopup.h"
#include "settings/defaults.h"
#include "settings/settingskeys.h"
#include "support/testutil.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace corvane
{
namespace
{

class EditorNavigatorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Defaults::instance().setValue(QLatin1String(keys::autoCompleteParentheses), true);
        auto *layout = new QVBoxLayout(&m_window);
        layout->addWidget(nav().header());
        layout->addWidget(view());
        m_window.resize(700, 500);
        m_window.show();
        m_window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_window));
        view()->setFocus();
    }

    void show(const QString &text)
    {
        m_doc.setPlainText(text);
        m_editor.showDocument(&m_doc);
        m_editor.displayText();
        view()->setFocus();
    }
    // Puts the caret at the start of the 1-based line (plus column characters) by keys.
    void caretTo(int line, int column = 0)
    {
        QTest::keyClick(view(), Qt::Key_Home, Qt::ControlModifier);
        for (int i = 1; i < line; ++i)
            QTest::keyClick(view(), Qt::Key_Down);
        QTest::keyClick(view(), Qt::Key_Home);
        for (int i = 0; i < column; ++i)
            QTest::keyClick(view(), Qt::Key_Right);
    }

    CorvaneTextView *view() { return m_editor.textView(); }
    EditorNavigator &nav() { return *m_editor.navigator(); }
    JumpListPopUp *popUp() { return nav().header()->popUp(); }
    QString text() const { return m_doc.toPlainText(); }
    int caret() { return view()->textCursor().position(); }

    // Destroyed in reverse: the window with the view first, the text it showed last.
    QTextDocument m_doc;
    EditorViewController m_editor;
    QWidget m_window;
};

const char kUnits[] = "!@mark - Geometry\n"
                      "module geo\n"
                      "contains\n"
                      "  subroutine grow(s)\n"
                      "    x = 1\n"
                      "  end subroutine grow\n"
                      "end module geo\n"
                      "program main\n"
                      "end program\n";

TEST_F(EditorNavigatorTest, PopUpFollowsTheCaretAndShowsModulesBoldAndMarksAsSeparators)
{
    show(kUnits);
    const struct {
        int line;
        const char *title;
    } steps[] = {{5, "subroutine grow"},
                 {7, "subroutine grow"},
                 {8, "program main"},
                 {2, "module geo"},
                 {1, "Top"}};
    for (const auto &s : steps) {
        SCOPED_TRACE(s.line);
        caretTo(s.line);
        EXPECT_EQ(popUp()->currentText(), QString(s.title));
    }
    ASSERT_EQ(popUp()->count(), 6);
    EXPECT_TRUE(popUp()->itemData(2, Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(popUp()->itemData(3, Qt::FontRole).value<QFont>().bold());
    EXPECT_EQ(popUp()->itemText(1), QString()); // the mark is a separator
    EXPECT_EQ(popUp()->itemData(1, Qt::ToolTipRole).toString(), QString("!@mark - Geometry"));
}

TEST_F(EditorNavigatorTest, TypedUnitIsAddedAndChoosingAnEntryJumps)
{
    show(kUnits);
    QTest::keyClick(view(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(view(), "subroutine late");
    EXPECT_EQ(popUp()->currentText(), QString("subroutine late"));
    EXPECT_EQ(popUp()->findText("subroutine l"), -1); // replaced while typed, not added

    // Open the pop-up with the mouse and choose "subroutine grow" with the keyboard.
    QTest::mouseClick(popUp(), Qt::LeftButton);
    QAbstractItemView *list = popUp()->view();
    QTRY_VERIFY(list->isVisible());
    list->setCurrentIndex(list->model()->index(popUp()->findText("subroutine grow"), 0));
    QTest::keyClick(list, Qt::Key_Return);
    const QTextCursor c = view()->textCursor();
    EXPECT_EQ(c.selectedText(), QString("subroutine grow"));
    EXPECT_EQ(c.block().blockNumber(), 3);
    EXPECT_TRUE(view()->hasFocus());
}

TEST_F(EditorNavigatorTest, ReadoutTexts)
{
    QStringList lines;
    for (int i = 0; i < 40; ++i)
        lines << QString(20, u'a');
    show(lines.join(u'\n'));
    caretTo(7, 5);
    EXPECT_EQ(nav().header()->lineField()->text(), QString("7/40"));
    EXPECT_EQ(nav().header()->columnField()->text(), QString("5/20"));
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(view(), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(nav().header()->lineField()->text(), QString("7/40"));
    EXPECT_EQ(nav().header()->columnField()->text(), QString("6:8(3)/20"));
}

TEST_F(EditorNavigatorTest, LineField)
{
    show("one\ntwo\nthree\nfour\n");
    QTest::keyClick(view(), Qt::Key_L, Qt::ControlModifier);
    QLineEdit *field = nav().header()->lineField();
    ASSERT_TRUE(field->hasFocus());
    QTest::keyClicks(field, "3");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(view()->textCursor().selectedText(), QString("three") + QChar::ParagraphSeparator);
    EXPECT_TRUE(view()->hasFocus());
    EXPECT_EQ(field->text(), QString("3/5"));

    QSignalSpy beeps(&nav(), &EditorNavigator::beeped);
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, "999");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(beeps.count(), 1);
}

TEST_F(EditorNavigatorTest, BracketHighlightAndBeep)
{
    show("");
    QSignalSpy beeps(&nav(), &EditorNavigator::beeped);
    Defaults::instance().setValue(QLatin1String(keys::autoCompleteParentheses), false);
    QTest::keyClicks(view(), "x = (a(1) + b)");
    const auto highlights = view()->highlights(CorvaneTextView::BracketLayer);
    ASSERT_EQ(highlights.size(), 1);
    EXPECT_EQ(highlights[0].cursor.selectedText(), QString("(a(1) + b)"));
    EXPECT_EQ(highlights[0].format.background().color(), QColor(Qt::cyan));
    EXPECT_EQ(text(), QString("x = (a(1) + b)")); // a display attribute only
    QTRY_VERIFY(view()->highlights(CorvaneTextView::BracketLayer).isEmpty());
    EXPECT_EQ(beeps.count(), 0);
    QTest::keyClicks(view(), ")");
    EXPECT_EQ(beeps.count(), 1);
}

TEST_F(EditorNavigatorTest, ClosingBracketsAsTyped)
{
    show("y = abc\n");
    caretTo(1, 4);
    QTest::keyClicks(view(), "f(");
    EXPECT_EQ(text(), QString("y = f()abc\n"));
    EXPECT_EQ(caret(), 6);
    caretTo(1, 7);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(view(), Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClicks(view(), "[");
    EXPECT_EQ(text(), QString("y = f()[abc]\n"));
    EXPECT_EQ(caret(), 8);
    Defaults::instance().setValue(QLatin1String(keys::autoCompleteParentheses), false);
    QTest::keyClicks(view(), "(");
    EXPECT_EQ(text(), QString("y = f()[(abc]\n"));

    // The word upper-cased by the same "(" is not taken for a replaced selection.
    Defaults::instance().setValue(QLatin1String(keys::autoCompleteParentheses), true);
    show("");
    QTest::keyClicks(view(), "y = sqrt(");
    EXPECT_EQ(text(), QString("y = SQRT()"));
}

TEST_F(EditorNavigatorTest, DoubleClickOnABracketSelectsTheBracketedRange)
{
    show("y = f(a, g(b)) + 1\n");
    QTextCursor at(&m_doc);
    at.setPosition(5);
    const QRect r = view()->cursorRect(at);
    QTest::mouseDClick(view()->viewport(), Qt::LeftButton, {}, r.center() + QPoint(2, 0));
    QTRY_COMPARE(view()->textCursor().selectedText(), QString("(a, g(b))"));
}

TEST_F(EditorNavigatorTest, NextInsertMarker)
{
    show("DO !^ \n   !^\nEND DO\n");
    QSignalSpy beeps(&nav(), &EditorNavigator::beeped);
    const QKeySequence keys(Qt::CTRL | Qt::SHIFT | Qt::Key_Space);
    QTest::keySequence(view(), keys);
    EXPECT_EQ(view()->textCursor().selectionStart(), 3);
    QTest::keySequence(view(), keys);
    EXPECT_EQ(view()->textCursor().selectionStart(), 10);
    EXPECT_EQ(view()->textCursor().selectedText(), QString("!^"));
    QTest::keyClick(view(), Qt::Key_Tab, Qt::AltModifier); // the last one selected: none further
    EXPECT_EQ(beeps.count(), 1);
    EXPECT_EQ(view()->textCursor().selectionStart(), 10);
    EXPECT_EQ(text(), QString("DO !^ \n   !^\nEND DO\n"));
}

TEST_F(EditorNavigatorTest, CompleteProcedureIsOneUndoStep)
{
    show("subroutine solve(a)\n  a = 1\nend subroutine ! old\n");
    QSignalSpy beeps(&nav(), &EditorNavigator::beeped);
    caretTo(1, 3);
    QTest::keyClick(view(), Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(text(), QString("subroutine solve(a)\n  a = 1\nend subroutine solve ! old\n"));
    EXPECT_EQ(caret(), 3);
    EXPECT_EQ(nav().lastActionName(), QString("Procedure Completion"));
    m_editor.undo();
    EXPECT_EQ(text(), QString("subroutine solve(a)\n  a = 1\nend subroutine ! old\n"));
    caretTo(2);
    QTest::keyClick(view(), Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(beeps.count(), 1);
}

} // namespace
} // namespace corvane
