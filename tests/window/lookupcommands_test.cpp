// The lookup commands in the project window, driven with their keys: F2 jumps to the defining
// line (in another file or the same one) and Alt+Left returns; Ctrl+I shows a declaration's
// information or an intrinsic's page in the popover; names no search finds, or first on their
// line, end in the alert with the find panel filled, or the beep.
#include "editor/corvanetextview.h"
#include "editor/editorviewcontroller.h"
#include "project/projectlookup.h"
#include "window/findcontroller.h"
#include "window/lookupcommands.h"
#include "window/lookuppopover.h"
#include "windowtestutil.h"

#include <QAction>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>

using namespace corvane;
using namespace corvane::test;

namespace
{

const char kPhysics[] = "module physics\n"                // 1
                        "  type :: vec\n"                 // 2
                        "    real :: x, y\n"              // 3
                        "  end type\n"                    // 4
                        "  type :: body\n"                // 5
                        "    type(vec) :: pos\n"          // 6
                        "  end type\n"                    // 7
                        "contains\n"                      // 8
                        "  subroutine  solve(b)\n"        // 9
                        "    type(body) :: b\n"           // 10
                        "  end subroutine\n"              // 11
                        "end module\n";
const char kMain[] = "program main\n"                     // 1
                     "  use physics\n"                    // 2
                     "  type(body) :: b\n"                // 3
                     "  real :: y\n"                      // 4
                     "  call solve(b)\n"                  // 5
                     "  call step(2)\n"                   // 6
                     "  y = b%pos%x\n"                    // 7
                     "  y = SQRT(2.0)\n"                  // 8
                     "  y = area(1.0)\n"                  // 9
                     "  solve\n"                          // 10
                     "end program\n"                      // 11
                     "subroutine step(n)\n"               // 12
                     "  integer :: n\n"                   // 13
                     "end subroutine\n";

class LookupInWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString project =
            fx.makeProject({{"physics.f90", kPhysics}, {"main.f90", kMain}});
        window = fx.open(project);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QTRY_VERIFY_WITH_TIMEOUT(window->document()->projectIndex(), 10000);
        ASSERT_GE(window->changeEditorToFileNamed(fx.path("main.f90")), 0);
        ASSERT_EQ(currentName(), "main.f90");
        window->editor()->setFocus();
    }

    // Puts the caret on line (1-based) after the first occurrence of before.
    void caretAfter(int line, const QString &before)
    {
        QTextCursor cursor(window->editor()->document()->findBlockByNumber(line - 1));
        cursor.setPosition(cursor.position() + int(cursor.block().text().indexOf(before)) +
                           int(before.size()));
        window->editor()->setTextCursor(cursor);
        window->validateCommands();
    }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    }
    QString currentName() const
    {
        return window->currentFortranFile()
                   ? QFileInfo(window->currentFortranFile()->filePath()).fileName()
                   : QString();
    }
    int editorLine() const { return window->editorController()->currentLineNumber(); }
    QString selectedText() const { return window->editor()->textCursor().selectedText(); }

    ProjectFixture fx;
    std::unique_ptr<DocWindowController> window;
};

} // namespace

TEST_F(LookupInWindowTest, F2JumpsAndAltLeftReturns)
{
    const struct {
        const char *name;
        int line;
        const char *before; // the caret goes right after this text of the line
        const char *file;   // where the jump lands
        int landing;
        const char *word; // selected when Back has returned
    } cases[] = {
        {"into another file", 5, "call so", "physics.f90", 9, "solve"},
        {"within the same file", 6, "call st", "main.f90", 12, "step"},
        {"a module named by use", 2, "use phys", "physics.f90", 1, "physics"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_GE(window->changeEditorToFileNamed(fx.path("main.f90")), 0);
        window->editor()->setFocus();
        caretAfter(c.line, c.before);
        ASSERT_TRUE(window->action("jumpToDefinition")->isEnabled());
        press(Qt::Key_F2);
        EXPECT_EQ(currentName(), c.file);
        EXPECT_EQ(editorLine(), c.landing);
        EXPECT_EQ(window->currentTab(), DocWindowController::EditorTab);
        EXPECT_TRUE(window->action("moveToPreviousFile")->isEnabled());

        press(Qt::Key_Left, Qt::AltModifier);
        EXPECT_EQ(currentName(), "main.f90");
        EXPECT_EQ(editorLine(), c.line);
        EXPECT_EQ(selectedText(), QString(c.word));
    }
    EXPECT_EQ(fx.prompts.beeps, 0);
    EXPECT_TRUE(fx.prompts.alerts.isEmpty());
}

TEST_F(LookupInWindowTest, NotFoundAlertsAndFirstWordBeeps)
{
    caretAfter(9, "are");
    press(Qt::Key_F2);
    EXPECT_EQ(fx.prompts.alerts,
              QStringList{"A program unit for area could not be found\n"
                          "See the find panel for all instances of the string"});
    EXPECT_EQ(window->sideTab(), DocWindowController::FindPane);
    ASSERT_TRUE(window->findController()->findDictionary());
    EXPECT_EQ(window->findController()->findDictionary()->keys(),
              QStringList{fx.path("main.f90")});
    EXPECT_EQ(currentName(), "main.f90");
    EXPECT_EQ(selectedText(), "area");

    window->editor()->setFocus();
    caretAfter(10, "sol");
    press(Qt::Key_F2);
    EXPECT_EQ(fx.prompts.beeps, 1);
    EXPECT_EQ(editorLine(), 10);
    EXPECT_EQ(fx.prompts.alerts.size(), 1);

    // A caret that touches no word leaves both commands off.
    caretAfter(7, "y ");
    EXPECT_FALSE(window->action("jumpToDefinition")->isEnabled());
    EXPECT_FALSE(window->action("displayDeclarationInfo")->isEnabled());
}

TEST_F(LookupInWindowTest, CtrlIShowsInformationAndIntrinsicPages)
{
    LookupPopover *popover = window->lookupCommands()->popover();
    caretAfter(7, "b%pos%");
    press(Qt::Key_I, Qt::ControlModifier);
    ASSERT_TRUE(popover->isVisible());
    EXPECT_FALSE(popover->isPageShown());
    EXPECT_EQ(popover->shownText(), " Variable Name: \tx\n Type:          \treal\n\n"
                                    "\n Declared in:\n\tType:      vec\n\tModule:    physics\n"
                                    "\tFile:      physics.f90");
    EXPECT_EQ(popover->label()->textFormat(), Qt::PlainText);
    EXPECT_EQ(selectedText(), "x");
    // Below the selected text.
    const QRect caret = window->editor()->cursorRect();
    EXPECT_GE(popover->geometry().top(),
              window->editor()->viewport()->mapToGlobal(caret.bottomLeft()).y());
    QTest::keyClick(popover, Qt::Key_Escape);
    EXPECT_FALSE(popover->isVisible());

    window->editor()->setFocus();
    caretAfter(8, "SQ");
    press(Qt::Key_I, Qt::ControlModifier);
    ASSERT_TRUE(popover->isVisible());
    EXPECT_TRUE(popover->isPageShown());
    const QString page = popover->browser()->toPlainText();
    EXPECT_TRUE(page.startsWith("sqrt")) << page.toStdString();
    EXPECT_TRUE(page.contains("Arguments")) << page.toStdString();
    EXPECT_TRUE(page.contains("r = sqrt(2.0)")) << page.toStdString();
    QTest::keyClick(popover, Qt::Key_Escape);

    // A name no declaration answers only beeps.
    window->editor()->setFocus();
    caretAfter(9, "are");
    press(Qt::Key_I, Qt::ControlModifier);
    EXPECT_FALSE(popover->isVisible());
    EXPECT_EQ(fx.prompts.beeps, 1);
}

// (we had this fault) A declaration with a long value was cut off at the popover's edge.
TEST(LookupPopoverText, ALongInformationScrollsWithinTheScreen)
{
    LookupPopover popover;
    const QRect anchor(100, 100, 40, 16);
    const QString longLine = " Declared Value:\t(/ " + QString("1.0, ").repeated(2000) + "2.0 /)";
    QStringList lines{" Variable Name: \ttable", longLine};
    for (int i = 0; i < 300; ++i)
        lines << QString(" line %1").arg(i);
    popover.showText(lines.join('\n'), anchor);
    ASSERT_TRUE(popover.isVisible());
    const QScreen *screen = QGuiApplication::screenAt(anchor.center());
    const QSize room = (screen ? screen->availableGeometry().size() : QSize(1280, 800)) * 3 / 4;
    EXPECT_LE(popover.width(), room.width());
    EXPECT_LE(popover.height(), room.height());
    QScrollBar *across = popover.textArea()->horizontalScrollBar();
    QScrollBar *down = popover.textArea()->verticalScrollBar();
    EXPECT_GT(across->maximum(), 0);
    EXPECT_GT(down->maximum(), 0);
    QTest::keyClick(popover.textArea(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(popover.textArea(), Qt::Key_PageDown);
    EXPECT_GT(down->value(), 0);
    QTest::keyClick(popover.textArea(), Qt::Key_Right);
    EXPECT_GT(across->value(), 0);
    EXPECT_EQ(popover.shownText(), lines.join('\n'));

    // A short text needs no scrolling, and a new text starts at its top left.
    popover.showText(" Variable Name: \tx", anchor);
    EXPECT_EQ(across->value(), 0);
    EXPECT_EQ(down->value(), 0);
    EXPECT_EQ(across->maximum(), 0);
    EXPECT_EQ(down->maximum(), 0);
}
