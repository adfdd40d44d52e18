// The find bar under the editor, driven by QTest key and mouse events: Ctrl+F with the selection,
// search as typed, Enter/Shift+Enter and F3/Shift+F3 with wrap-around and the count, the case and
// whole-word switches, Ctrl+H with Replace and Replace All (one Ctrl+Z takes it back), Esc, Ctrl+G
// to the line field, and F3 left to the window while the bar is closed.
#include "editor/corvanetextview.h"
#include "editor/editorheader.h"
#include "editor/editornavigator.h"
#include "editor/editorviewcontroller.h"
#include "editor/findbar.h"
#include "settings/defaults.h"
#include "settings/vocabulary.h"
#include "support/testutil.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace corvane;

namespace
{

const char kSource[] = "program p\n"
                       "  total = 0\n"
                       "  Total = total + total_1\n"
                       "  print *, TOTAL\n"
                       "end program p\n";

class FindBarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_store = std::make_unique<Defaults>(
            std::make_unique<QSettings>(m_dir.filePath("settings.ini"), QSettings::IniFormat));
        m_editor = std::make_unique<EditorViewController>(*m_store, vocabulary());
        m_page.reset(m_editor->navigator()->editorPage());
        m_page->resize(700, 400);
        m_page->show();
        m_page->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_page.get()));
        m_doc = std::make_unique<QTextDocument>();
        m_doc->setPlainText(QString::fromLatin1(kSource));
        m_editor->showDocument(m_doc.get());
        m_editor->displayText();
        view()->setFocus();
    }

    void TearDown() override
    {
        // The widgets go before the editor that owns the placeholder text they show.
        m_editor->showDocument(nullptr);
        m_page.reset();
        m_editor.reset();
    }

    static const Vocabulary &vocabulary()
    {
        static const Vocabulary v = Vocabulary::fromFile(CORVANE_TEST_DATA "/vocabulary.plist");
        return v;
    }

    CorvaneTextView *view() { return m_editor->textView(); }
    FindBar *bar() { return m_editor->findBar(); }
    std::string text() const { return m_doc->toPlainText().toStdString(); }
    QString count() { return bar()->countLabel()->text(); }
    QString selected() { return view()->textCursor().selectedText(); }
    int selectionStart() { return view()->textCursor().selectionStart(); }
    void caretAt(int position)
    {
        QTextCursor c(m_doc.get());
        c.setPosition(position);
        view()->setTextCursor(c);
    }
    void key(QWidget *w, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::keyClick(w, k, m);
    }

    QTemporaryDir m_dir;
    std::unique_ptr<Defaults> m_store;
    std::unique_ptr<QWidget> m_page;
    std::unique_ptr<EditorViewController> m_editor;
    std::unique_ptr<QTextDocument> m_doc;
};

const int kFirstTotal = int(QString::fromLatin1(kSource).indexOf("total"));

TEST_F(FindBarTest, CtrlFTakesTheSelectionAndCounts)
{
    ASSERT_FALSE(bar()->isVisible());
    QTextCursor c(m_doc.get());
    c.setPosition(kFirstTotal);
    c.setPosition(kFirstTotal + 5, QTextCursor::KeepAnchor);
    view()->setTextCursor(c);
    key(view(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(bar()->isVisible());
    EXPECT_FALSE(bar()->isReplaceShown());
    EXPECT_EQ(bar()->findField()->text(), "total");
    EXPECT_TRUE(bar()->findField()->hasFocus());
    // Letter case ignored, no whole words: total, Total, total, total(_1), TOTAL.
    EXPECT_EQ(count(), "1 of 5");
    EXPECT_EQ(view()->highlights(CorvaneTextView::FindLayer).size(), 5);
}

TEST_F(FindBarTest, SearchAsTypedThenStepWithEnterAndF3)
{
    caretAt(0);
    key(view(), Qt::Key_F, Qt::ControlModifier);
    QLineEdit *field = bar()->findField();
    QTest::keyClicks(field, "to");
    EXPECT_EQ(selectionStart(), kFirstTotal);
    EXPECT_EQ(selected(), "to");
    QTest::keyClicks(field, "tal_");
    EXPECT_EQ(selected(), "total_");
    EXPECT_EQ(count(), "1 of 1");
    // Back to "total": the same place stays selected while the text shortens.
    key(field, Qt::Key_Backspace);
    EXPECT_EQ(selectionStart(), kFirstTotal);
    EXPECT_EQ(count(), "1 of 5");

    QStringList seen;
    key(field, Qt::Key_Return);
    seen << count();
    key(field, Qt::Key_F3);
    seen << count();
    key(view(), Qt::Key_F3); // also from the text while the bar is open
    seen << count();
    key(field, Qt::Key_F3);
    seen << count();
    key(field, Qt::Key_Enter); // past the last: wraps to the first
    seen << count();
    key(field, Qt::Key_Return, Qt::ShiftModifier); // back over the start
    seen << count();
    key(field, Qt::Key_F3, Qt::ShiftModifier);
    seen << count();
    EXPECT_EQ(seen, QStringList({"2 of 5", "3 of 5", "4 of 5", "5 of 5", "1 of 5", "5 of 5",
                                 "4 of 5"}));
    EXPECT_EQ(selected(), "total");
}

TEST_F(FindBarTest, SwitchesAndNotFound)
{
    QSignalSpy beeps(bar(), &FindBar::beeped);
    caretAt(0);
    key(view(), Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(bar()->findField(), "total");
    EXPECT_EQ(count(), "1 of 5");
    QTest::mouseClick(bar()->caseButton(), Qt::LeftButton);
    EXPECT_TRUE(bar()->caseButton()->isChecked());
    EXPECT_EQ(count(), "1 of 3");
    QTest::mouseClick(bar()->wordButton(), Qt::LeftButton);
    EXPECT_EQ(count(), "1 of 2"); // "total_1" is another word
    QTest::mouseClick(bar()->caseButton(), Qt::LeftButton);
    EXPECT_EQ(count(), "1 of 4");

    const int before = selectionStart();
    QTest::keyClicks(bar()->findField(), "zz");
    EXPECT_EQ(count(), "No results");
    EXPECT_EQ(selectionStart(), before);
    EXPECT_TRUE(view()->highlights(CorvaneTextView::FindLayer).isEmpty());
    key(bar()->findField(), Qt::Key_Return);
    EXPECT_EQ(beeps.size(), 1);
}

TEST_F(FindBarTest, ReplaceAndReplaceAllAreUndoable)
{
    caretAt(0);
    key(view(), Qt::Key_H, Qt::ControlModifier);
    ASSERT_TRUE(bar()->isReplaceShown());
    ASSERT_TRUE(bar()->replaceField()->isVisible());
    QTest::keyClicks(bar()->findField(), "total");
    QTest::mouseClick(bar()->wordButton(), Qt::LeftButton);
    QTest::keyClicks(bar()->replaceField(), "sum");
    // Enter in the replace field replaces the selected match and selects the next.
    key(bar()->replaceField(), Qt::Key_Return);
    EXPECT_EQ(text(), QString::fromLatin1(kSource).replace(kFirstTotal, 5, "sum").toStdString());
    EXPECT_EQ(selected(), "Total");
    EXPECT_EQ(count(), "1 of 3");
    key(view(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(), kSource);

    // Replace All with a replacement holding the text: every whole word once, one undo step.
    bar()->replaceField()->setText("total + total");
    QTest::mouseClick(bar()->replaceAllButton(), Qt::LeftButton);
    EXPECT_EQ(text(), std::string("program p\n"
                                          "  total + total = 0\n"
                                          "  total + total = total + total + total_1\n"
                                          "  print *, total + total\n"
                                          "end program p\n"));
    EXPECT_EQ(count(), "4 replaced");
    key(view(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(), kSource);
}

TEST_F(FindBarTest, EscapeClosesAndGivesTheKeyboardBack)
{
    key(view(), Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(bar()->findField(), "total");
    ASSERT_FALSE(view()->highlights(CorvaneTextView::FindLayer).isEmpty());
    key(bar()->findField(), Qt::Key_Escape);
    EXPECT_FALSE(bar()->isVisible());
    EXPECT_TRUE(view()->hasFocus());
    EXPECT_TRUE(view()->highlights(CorvaneTextView::FindLayer).isEmpty());
    // Esc in the text closes an open bar too; the text is not touched.
    key(view(), Qt::Key_H, Qt::ControlModifier);
    ASSERT_TRUE(bar()->isVisible());
    view()->setFocus();
    key(view(), Qt::Key_Escape);
    EXPECT_FALSE(bar()->isVisible());
    EXPECT_EQ(text(), kSource);
}

TEST_F(FindBarTest, F3BelongsToTheWindowWhileTheBarIsClosed)
{
    // A window-wide F3, as the project window's next find-in-project match.
    QAction windowF3;
    windowF3.setShortcut(QKeySequence(Qt::Key_F3));
    windowF3.setShortcutContext(Qt::WindowShortcut);
    m_page->addAction(&windowF3);
    QSignalSpy windowSteps(&windowF3, &QAction::triggered);

    key(view(), Qt::Key_F3);
    EXPECT_EQ(windowSteps.size(), 1);
    caretAt(0);
    key(view(), Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(bar()->findField(), "total");
    view()->setFocus();
    key(view(), Qt::Key_F3);
    EXPECT_EQ(windowSteps.size(), 1);
    EXPECT_EQ(count(), "2 of 5");
    key(bar()->findField(), Qt::Key_Escape);
    key(view(), Qt::Key_F3);
    EXPECT_EQ(windowSteps.size(), 2);
}

TEST_F(FindBarTest, AnotherFileShownKeepsTheBarOnItsText)
{
    key(view(), Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(bar()->findField(), "total");
    ASSERT_EQ(bar()->matches().size(), 5);
    QTextDocument other;
    other.setPlainText("x = total\n");
    m_editor->showDocument(&other);
    m_editor->displayText();
    QTest::qWait(100); // the coalescing timer
    EXPECT_EQ(bar()->matches(), QList<TextRange>({{4, 5}}));
    const auto highlights = view()->highlights(CorvaneTextView::FindLayer);
    ASSERT_EQ(highlights.size(), 1);
    EXPECT_EQ(highlights[0].cursor.document(), &other);
    m_editor->showDocument(m_doc.get());
}

TEST_F(FindBarTest, CtrlGAndCtrlLGoToTheLineField)
{
    for (Qt::Key k : {Qt::Key_G, Qt::Key_L}) {
        view()->setFocus();
        key(view(), k, Qt::ControlModifier);
        QLineEdit *field = m_editor->navigator()->header()->lineField();
        EXPECT_TRUE(field->hasFocus()) << k;
        QTest::keyClicks(field, "4");
        key(field, Qt::Key_Return);
        // The line is selected whole.
        EXPECT_EQ(selected(), QStringLiteral("  print *, TOTAL\u2029")) << k;
        caretAt(0);
    }
}

} // namespace
