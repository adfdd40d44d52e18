// The find bar and the Help menu in the project window: Ctrl+F in the editor opens the bar, F3
// steps through the bar's matches while it is open and through the find-in-project matches once
// it is closed; the Help menu has About Corvane (with this build's and Qt's versions and the
// licence) and the README.
#include "editor/corvanetextview.h"
#include "editor/editorviewcontroller.h"
#include "editor/findbar.h"
#include "window/findcontroller.h"
#include "window/findpane.h"
#include "window/helpmenu.h"
#include "windowtestutil.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>

using namespace corvane;
using namespace corvane::test;

namespace
{

const char kBeta[] = "module beta\ncontains\n  subroutine solve(x)\n    ! Solve it\n"
                     "  end subroutine solve\nend module beta\n";

class FindBarWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = fx.open(fx.makeProject({{"beta.f90", kBeta}}));
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    QStringList menuItems(const QString &title) const
    {
        QStringList names;
        for (QAction *top : window->menuBar()->actions())
            if (top->menu() && top->text().remove('&') == title)
                for (QAction *a : top->menu()->actions())
                    if (!a->isSeparator())
                        names << a->objectName();
        return names;
    }

    ProjectFixture fx;
    std::unique_ptr<DocWindowController> window;
};

TEST_F(FindBarWindowTest, F3FollowsTheFindBarWhileItIsOpen)
{
    // Find in project first, so that F3 has project matches to step through.
    QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClicks(QApplication::focusWidget(), "solve");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    window->changeFileTableSelectionToRow(0);
    window->switchTabTo(DocWindowController::EditorTab);
    CorvaneTextView *editor = window->editorController()->textView();
    FindBar *bar = window->editorController()->findBar();
    editor->setFocus();
    editor->moveCursor(QTextCursor::Start);

    QTest::keyClick(editor, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(bar->isVisible());
    QTest::keyClicks(bar->findField(), "solve");
    EXPECT_EQ(bar->countLabel()->text(), "1 of 3"); // solve, Solve, solve
    editor->setFocus();
    QTest::keyClick(editor, Qt::Key_F3);
    EXPECT_EQ(bar->countLabel()->text(), "2 of 3");
    EXPECT_EQ(editor->textCursor().selectedText(), "Solve");
    EXPECT_EQ(fx.prompts.beeps, 0);

    // Closed: F3 is the project's next match again, which selects its whole line.
    QTest::keyClick(bar->findField(), Qt::Key_Escape);
    ASSERT_FALSE(bar->isVisible());
    QTest::keyClick(editor, Qt::Key_F3);
    EXPECT_EQ(editor->textCursor().selectedText(),
              QString("  end subroutine solve") + QChar::ParagraphSeparator);
}

TEST_F(FindBarWindowTest, EditMenuHasFindAndReplace)
{
    const QStringList edit = menuItems("Edit");
    EXPECT_TRUE(edit.contains("findInFile")) << edit.join(' ').toStdString();
    EXPECT_TRUE(edit.contains("replaceInFile")) << edit.join(' ').toStdString();
}

TEST_F(FindBarWindowTest, HelpMenuAboutAndReadme)
{
    EXPECT_EQ(menuItems("Help"), QStringList({"aboutCorvane", "openReadme"}));
    EXPECT_TRUE(QRegularExpression("^\\d+\\.\\d+\\.\\d+$").match(corvaneVersion()).hasMatch())
        << corvaneVersion().toStdString();
    const QString about = aboutCorvaneText();
    for (const QString &part : {"Corvane " + corvaneVersion(), QString::fromLatin1(qVersion()),
                                QStringLiteral(QT_VERSION_STR), corvaneLicence().toHtmlEscaped()})
        EXPECT_TRUE(about.contains(part)) << part.toStdString();
    EXPECT_FALSE(corvaneLicence().isEmpty());
    // Run from the build tree: the copy staged under build/share, beside build/tests.
    EXPECT_EQ(readmePath(),
              QFileInfo(CORVANE_BINARY_DIR "/share/doc/corvane/README.md").canonicalFilePath());
}

} // namespace
