// The completion list in the real editor widget, driven by QTest key and mouse events: the pause
// that opens it, browsing with tentative insertion, Return selecting the first "!^", Tab's common
// prefix and the list opening again, Esc, typing on and a click putting back exactly what the
// user typed, a component list after "%", and Ctrl+Space offering the code templates.
#include "editor/autocompletemanager.h"
#include "editor/completionpopup.h"
#include "editor/corvanetextview.h"
#include "editor/editorviewcontroller.h"

#include "analysis/ffileparser.h"
#include "project/projectindex.h"
#include "settings/defaults.h"
#include "settings/settingskeys.h"
#include "settings/vocabulary.h"

#include <QAction>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

using namespace corvane;

namespace
{

// The file in the editor; the tests type on the empty line in work().
const char kSource[] = "module shapes\n"
                       "  type :: point\n"
                       "    real :: px, py\n"
                       "  contains\n"
                       "    procedure :: norm => point_norm\n"
                       "  end type\n"
                       "  type :: shape\n"
                       "    type(point) :: centre\n"
                       "    real :: area_value\n"
                       "  end type\n"
                       "contains\n"
                       "  real function point_norm(self)\n"
                       "    class(point) :: self\n"
                       "  end function\n"
                       "  subroutine report_alpha(x)\n"
                       "    real :: x\n"
                       "  end subroutine\n"
                       "  subroutine report_beta(y, z)\n"
                       "    real :: y, z\n"
                       "  end subroutine\n"
                       "  subroutine work(s)\n"
                       "    type(shape) :: s\n"
                       "    real :: signal\n"
                       "    \n" // line 24
                       "  end subroutine\n"
                       "end module\n";
constexpr int kTypingLine = 23; // 0-based block of the empty line

class CompletionWidget : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_store = std::make_unique<Defaults>(
            std::make_unique<QSettings>(m_dir.filePath("settings.ini"), QSettings::IniFormat));
        m_store->setValue(keys::UppercaseKeywordFlag, false); // keep the typed text as typed
        m_store->setValue(keys::TemplateStrings,
                          QVariantMap{{"Do...", "DO !^\n   !^\nEND DO\n"},
                                      {"Double loop", "x"},
                                      {"If...", "IF ( !^ ) THEN\nEND IF\n"}});
        m_editor = std::make_unique<EditorViewController>(*m_store, Vocabulary::instance());

        FFileParser parser;
        const QString path = QStringLiteral("/p/shapes.f90");
        m_index = gatherProjectDeclarations(
            {{path, parser.declarationsInFortranFile(path, kSource, 1)}}, true);
        m_editor->completionManager().setProjectIndex(m_index);
        m_editor->completionManager().setDeclarationsForDisplayedText(
            m_index->declarationsForFile(path));

        m_doc.setPlainText(QString::fromLatin1(kSource));
        m_editor->setCodingMode(1);
        m_editor->setF90Coloring(true);
        m_editor->showDocument(&m_doc);
        m_editor->displayText();
        view()->resize(640, 480);
        view()->show();
        view()->activateWindow();
        view()->setFocus();
        QTextCursor c(m_doc.findBlockByNumber(kTypingLine));
        c.movePosition(QTextCursor::EndOfBlock);
        view()->setTextCursor(c);
    }

    void TearDown() override { m_editor->showDocument(nullptr); }

    CorvaneTextView *view() const { return m_editor->textView(); }
    CompletionPopup *popup() const { return view()->completionPopup(); }
    QString line() const { return m_doc.findBlockByNumber(kTypingLine).text(); }
    QString selected() const { return view()->textCursor().selectedText(); }
    int column() const
    {
        return view()->textCursor().position() - m_doc.findBlockByNumber(kTypingLine).position();
    }

    // The rows of the list as shown.
    QStringList rows() const
    {
        QStringList r;
        for (int i = 0; i < popup()->count(); ++i)
            r << popup()->item(i)->text();
        return r;
    }

    // Types text and waits for the automatic list; false when none opened.
    bool typeAndPause(const QString &text)
    {
        QTest::keyClicks(view(), text);
        return waitForList();
    }

    bool waitForList()
    {
        return QTest::qWaitFor([this] { return popup()->isVisible(); }, 3000);
    }

    QTemporaryDir m_dir;
    std::unique_ptr<Defaults> m_store;
    std::shared_ptr<ProjectIndex> m_index;
    QTextDocument m_doc;
    std::unique_ptr<EditorViewController> m_editor;
};

const QStringList kReports{"report_alpha(x = !^)", "report_beta(y = !^,z = !^)"};

} // namespace

TEST_F(CompletionWidget, APauseInTypingOpensTheList)
{
    QTest::keyClicks(view(), "call re");
    // The keystroke started the timer; the list waits for the pause.
    EXPECT_TRUE(view()->isCompletionTimerActive());
    EXPECT_EQ(view()->completionTimerInterval(), CorvaneTextView::kCompletionDelayMs);
    EXPECT_FALSE(popup()->isVisible());
    ASSERT_TRUE(waitForList());
    EXPECT_TRUE(view()->isTimerAction());
    EXPECT_EQ(rows(), kReports);
    EXPECT_EQ(popup()->currentRow(), 0);
    EXPECT_EQ(line(), "    call re"); // nothing goes in before the user chooses
    EXPECT_TRUE(view()->hasFocus());   // the list never takes the keyboard
}

// Which keystrokes start the timer: the last character of each case is typed with no timer
// pending.
TEST_F(CompletionWidget, WhichKeystrokesStartTheTimer)
{
    const struct {
        const char *name;
        const char *before;
        QChar last;
        bool want;
        int codingMode = 1;
        bool settingsOn = true;
    } cases[] = {
        {"a letter", "call r", u'e', true},
        {"a blank", "use", u' ', true},
        {"an opening bracket", "x = sqrt", u'(', false},
        {"a closing bracket", "x = f(a", u')', false},
        {"in a comment", "x = 1 ! ca", u'l', false},
        {"plain-text mode", "call r", u'e', false, 0},
        {"all three settings off", "call r", u'e', false, 1, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        m_editor->setCodingMode(c.codingMode);
        for (const char *key : {keys::autoCompleteFortranKeywords, keys::autoCompleteProcedures,
                                keys::autoCompleteFortranIntrinsics})
            m_store->setValue(key, c.settingsOn);
        QTest::keyClicks(view(), QString::fromLatin1(c.before));
        view()->stopCompletionTimer();
        QTest::keyClick(view(), c.last.toLatin1());
        EXPECT_EQ(view()->isCompletionTimerActive(), c.want);
        view()->stopCompletionTimer();
        // Clear the line for the next case.
        QTextCursor lineCursor(m_doc.findBlockByNumber(kTypingLine));
        lineCursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        lineCursor.insertText("    ");
        view()->setTextCursor(lineCursor);
        view()->stopCompletionTimer();
    }
}

TEST_F(CompletionWidget, BrowsingInsertsTentativelyAndReturnSelectsTheFirstMarker)
{
    ASSERT_TRUE(typeAndPause("call re"));
    QTest::keyClick(view(), Qt::Key_Down);
    EXPECT_EQ(line(), "    call report_beta(y = !^,z = !^)");
    EXPECT_EQ(view()->autoCompleteState(), 3);
    QTest::keyClick(view(), Qt::Key_Down); // the last row stays
    EXPECT_EQ(popup()->currentRow(), 1);
    QTest::keyClick(view(), Qt::Key_Up);
    EXPECT_EQ(line(), "    call report_alpha(x = !^)");
    EXPECT_TRUE(popup()->isVisible());

    QTest::keyClick(view(), Qt::Key_Return);
    EXPECT_FALSE(popup()->isVisible());
    EXPECT_FALSE(view()->isCompletionListOpen());
    EXPECT_EQ(line(), "    call report_alpha(x = !^)"); // no line break: Return was the list's
    EXPECT_EQ(selected(), "!^");
    EXPECT_EQ(column() - 2, QString("    call report_alpha(x = ").size());
    EXPECT_EQ(view()->autoCompleteState(), 0);
    EXPECT_FALSE(view()->isTimerAction());
    // The user types over the marker.
    QTest::keyClick(view(), Qt::Key_1);
    EXPECT_EQ(line(), "    call report_alpha(x = 1)");
    // One undo takes the accepted candidate (and what browsing did) back to the typed text.
    view()->stopCompletionTimer();
    m_editor->undo();
    m_editor->undo();
    EXPECT_EQ(line(), "    call re");
}

TEST_F(CompletionWidget, TabInsertsTheCommonPrefixAndOpensTheNarrowedList)
{
    ASSERT_TRUE(typeAndPause("call re"));
    QTest::keyClick(view(), Qt::Key_Tab);
    EXPECT_EQ(line(), "    call report_"); // no tab character: Tab was the list's
    EXPECT_FALSE(popup()->isVisible());
    EXPECT_TRUE(view()->isCompletionTimerActive());
    EXPECT_EQ(view()->completionTimerInterval(), CorvaneTextView::kReopenDelayMs);
    ASSERT_TRUE(waitForList());
    EXPECT_EQ(rows(), kReports);

    // With one candidate left Tab inserts it whole, selects its marker and opens nothing.
    QTest::keyClick(view(), Qt::Key_Escape);
    QTest::keyClick(view(), Qt::Key_B);
    ASSERT_TRUE(waitForList());
    EXPECT_EQ(rows(), QStringList{kReports[1]});
    QTest::keyClick(view(), Qt::Key_Tab);
    EXPECT_EQ(line(), "    call report_beta(y = !^,z = !^)");
    EXPECT_EQ(selected(), "!^");
    EXPECT_EQ(column() - 2, QString("    call report_beta(y = ").size());
    EXPECT_FALSE(view()->isCompletionTimerActive());
}

TEST_F(CompletionWidget, EscPutsBackTheTypedText)
{
    ASSERT_TRUE(typeAndPause("call re"));
    QTest::keyClick(view(), Qt::Key_Down);
    QTest::keyClick(view(), Qt::Key_Escape);
    EXPECT_FALSE(popup()->isVisible());
    EXPECT_EQ(line(), "    call re");
    EXPECT_EQ(column(), 11);
    EXPECT_FALSE(view()->textCursor().hasSelection());
    EXPECT_EQ(view()->autoCompleteState(), 0);
}

// (we had this bug) closing by typing appended a blank to the user's text before the typed
// character went in, doubling a typed blank.
TEST_F(CompletionWidget, TypingOnKeepsExactlyWhatTheUserTyped)
{
    const struct {
        const char *name;
        bool browse;
        Qt::Key key;
        const char *want;
    } cases[] = {
        {"blank", false, Qt::Key_Space, "    call re "},
        {"blank after browsing", true, Qt::Key_Space, "    call re "},
        {"letter after browsing", true, Qt::Key_P, "    call rep"},
        {"bracket after browsing", true, Qt::Key_ParenLeft, "    call re()"},
        {"backspace after browsing", true, Qt::Key_Backspace, "    call r"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTextCursor lineCursor(m_doc.findBlockByNumber(kTypingLine));
        lineCursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        lineCursor.insertText("    ");
        view()->setTextCursor(lineCursor);
        ASSERT_TRUE(typeAndPause("call re"));
        if (c.browse)
            QTest::keyClick(view(), Qt::Key_Down);
        QTest::keyClick(view(), c.key);
        EXPECT_FALSE(popup()->isVisible());
        EXPECT_EQ(line(), c.want);
        view()->stopCompletionTimer();
    }
}

TEST_F(CompletionWidget, TypingOnNarrowsTheNextList)
{
    ASSERT_TRUE(typeAndPause("call re"));
    QTest::keyClicks(view(), "port_a");
    EXPECT_FALSE(popup()->isVisible());
    ASSERT_TRUE(waitForList());
    EXPECT_EQ(rows(), QStringList{kReports[0]});
}

TEST_F(CompletionWidget, AClickClosesTheListWithTheTypedText)
{
    ASSERT_TRUE(typeAndPause("call re"));
    QTest::keyClick(view(), Qt::Key_Down);
    ASSERT_EQ(line(), "    call report_beta(y = !^,z = !^)");
    // A click on a row makes it current and shows it in the text; the list stays.
    QTest::mouseClick(popup()->viewport(), Qt::LeftButton, {},
                      popup()->visualItemRect(popup()->item(0)).center());
    EXPECT_EQ(popup()->currentRow(), 0);
    EXPECT_EQ(line(), "    call report_alpha(x = !^)");
    EXPECT_TRUE(popup()->isVisible());
    // A click in the text closes it: the typed text alone comes back (no blank after it).
    const QRect first = view()->cursorRect(QTextCursor(m_doc.findBlockByNumber(0)));
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, first.center());
    EXPECT_FALSE(popup()->isVisible());
    EXPECT_EQ(line(), "    call re");
    EXPECT_EQ(view()->textCursor().blockNumber(), 0); // the click placed the caret
}

TEST_F(CompletionWidget, ADoubleClickOnARowAcceptsIt)
{
    ASSERT_TRUE(typeAndPause("call re"));
    QTest::mouseDClick(popup()->viewport(), Qt::LeftButton, {},
                       popup()->visualItemRect(popup()->item(1)).center());
    EXPECT_FALSE(popup()->isVisible());
    EXPECT_EQ(line(), "    call report_beta(y = !^,z = !^)");
    EXPECT_EQ(selected(), "!^");
}

// (we had this bug) the accepted component replaced the "%" it follows.
TEST_F(CompletionWidget, AfterPercentTheComponentGoesAtTheCaret)
{
    ASSERT_TRUE(typeAndPause("x = s%"));
    EXPECT_EQ(rows(), QStringList({"area_value", "centre"}));
    QTest::keyClick(view(), Qt::Key_Down);
    EXPECT_EQ(line(), "    x = s%centre");
    QTest::keyClick(view(), Qt::Key_Return);
    EXPECT_EQ(line(), "    x = s%centre");
    EXPECT_EQ(column(), line().size());

    // Further down the chain: the components and function bindings of the component's type.
    ASSERT_TRUE(typeAndPause("%"));
    EXPECT_EQ(rows(), QStringList({"norm()", "px", "py"})); // the passed object is no argument
    QTest::keyClick(view(), Qt::Key_Escape);
    EXPECT_EQ(line(), "    x = s%centre%");
}

TEST_F(CompletionWidget, CtrlSpaceOffersTheTemplates)
{
    QTest::keyClicks(view(), "do");
    view()->stopCompletionTimer();
    QTest::keyClick(view(), Qt::Key_Space, Qt::ControlModifier);
    ASSERT_TRUE(popup()->isVisible()); // at once, no pause
    EXPECT_FALSE(view()->isTimerAction());
    EXPECT_EQ(rows(), QStringList({"Do...", "Double loop"}));
    QTest::keyClick(view(), Qt::Key_Down);
    EXPECT_EQ(line(), "    do"); // template names are not put into the text
    QTest::keyClick(view(), Qt::Key_Up);
    QTest::keyClick(view(), Qt::Key_Return);
    EXPECT_FALSE(popup()->isVisible());
    // The template takes the line's indentation; the caret goes to its start.
    const QTextBlock block = m_doc.findBlockByNumber(kTypingLine);
    EXPECT_EQ(block.text(), "    DO !^");
    EXPECT_EQ(block.next().text(), "       !^ ");
    EXPECT_EQ(block.next().next().text(), "    END DO ");
    EXPECT_EQ(block.next().next().next().text(), "  end subroutine");
    EXPECT_EQ(column(), 4);
    EXPECT_FALSE(view()->textCursor().hasSelection());
    // (we had this bug) the insertion was not handled as a paste: the paste flag ended before
    // the document reported the change.
    EXPECT_TRUE(m_editor->lineChange().isReplacement);

    // Other ways of closing the explicit list insert nothing.
    QTextCursor lineCursor(block);
    lineCursor.movePosition(QTextCursor::EndOfBlock);
    view()->setTextCursor(lineCursor);
    QTest::keyClicks(view(), " if");
    view()->stopCompletionTimer();
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Tab}) {
        QTest::keyClick(view(), Qt::Key_Space, Qt::ControlModifier);
        ASSERT_TRUE(popup()->isVisible());
        EXPECT_EQ(rows(), QStringList({"If..."}));
        QTest::keyClick(view(), key);
        EXPECT_FALSE(popup()->isVisible());
        EXPECT_EQ(m_doc.findBlockByNumber(kTypingLine).text(), "    DO !^ if");
    }
}

TEST_F(CompletionWidget, NoListForOneLetterOrNoMatch)
{
    for (const char *typed : {"x = s", "zz", "call qq"}) {
        SCOPED_TRACE(typed);
        QTest::keyClicks(view(), typed);
        ASSERT_TRUE(view()->isCompletionTimerActive());
        EXPECT_TRUE(QTest::qWaitFor([this] { return !view()->isCompletionTimerActive(); }, 3000));
        QTest::qWait(20);
        EXPECT_FALSE(popup()->isVisible());
        EXPECT_FALSE(view()->isTimerAction());
        QTest::keyClick(view(), Qt::Key_Return);
    }
}

// (we had this bug) a window command taken by its shortcut changed the text under an open list;
// closing the list afterwards replaced the range where it had been, over other text.
TEST_F(CompletionWidget, AWindowShortcutClosesTheListFirst)
{
    QAction prefix(view());
    prefix.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_J));
    prefix.setShortcutContext(Qt::WidgetShortcut);
    QObject::connect(&prefix, &QAction::triggered, [this] {
        QTextCursor(&m_doc).insertText("! first\n");
    });
    int escapes = 0;
    QAction escape(view());
    escape.setShortcut(QKeySequence(Qt::Key_Escape));
    escape.setShortcutContext(Qt::WidgetShortcut);
    QObject::connect(&escape, &QAction::triggered, [&] { ++escapes; });
    view()->addAction(&prefix);
    view()->addAction(&escape);

    ASSERT_TRUE(typeAndPause("call re"));
    QTest::keyClick(view(), Qt::Key_Down);
    QTest::keyClick(view(), Qt::Key_J, Qt::ControlModifier);
    EXPECT_FALSE(popup()->isVisible());
    EXPECT_EQ(m_doc.firstBlock().text(), "! first");
    EXPECT_EQ(m_doc.findBlockByNumber(kTypingLine + 1).text(), "    call re");
    EXPECT_EQ(m_doc.findBlockByNumber(kTypingLine + 2).text(), "  end subroutine");

    // The list's own keys stay the list's.
    ASSERT_TRUE(typeAndPause("p"));
    QTest::keyClick(view(), Qt::Key_Escape);
    EXPECT_FALSE(popup()->isVisible());
    EXPECT_EQ(escapes, 0);
    QTest::keyClick(view(), Qt::Key_Escape); // no list: the window's
    EXPECT_EQ(escapes, 1);
}

TEST_F(CompletionWidget, AChangeFromElsewhereDropsTheListAndKeepsTheText)
{
    ASSERT_TRUE(typeAndPause("call re"));
    QTest::keyClick(view(), Qt::Key_Down);
    m_editor->colorAllText(); // colouring is no change of the text
    EXPECT_TRUE(popup()->isVisible());
    QTextCursor(&m_doc).insertText("! first\n"); // a reload, an input method
    EXPECT_FALSE(popup()->isVisible());
    EXPECT_FALSE(view()->isCompletionListOpen());
    const QString browsed = "    call report_beta(y = !^,z = !^)";
    EXPECT_EQ(m_doc.findBlockByNumber(kTypingLine + 1).text(), browsed);
    QTest::keyClick(view(), Qt::Key_Escape);
    EXPECT_EQ(m_doc.findBlockByNumber(kTypingLine + 1).text(), browsed);
    EXPECT_EQ(m_doc.findBlockByNumber(kTypingLine + 2).text(), "  end subroutine");
}
