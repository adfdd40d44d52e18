// The console view: output colours by role, typed input reaching a running child, and output
// that typing cannot change.
#include "build/interactiveconsolecontroller.h"
#include "settings/defaults.h"
#include "settings/settingskeys.h"
#include "window/consoleview.h"

#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <gtest/gtest.h>

namespace corvane
{
namespace
{

QColor colourAt(const ConsoleView &view, int position)
{
    QTextCursor c(view.document());
    c.setPosition(position + 1); // the format of the character before the caret
    return c.charFormat().foreground().color();
}

class ConsoleViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Defaults &d = Defaults::instance();
        d.setValue(keys::consoleNormalColor, "#010203");
        d.setValue(keys::consoleInfoColor, "#00aa00");
        d.setValue(keys::consoleErrorColor, "#cc0000");
    }
};

TEST_F(ConsoleViewTest, ColoursEachPieceByItsRoleAndNoneKeepsTheLast)
{
    ConsoleView view;
    struct Piece {
        QString text;
        Console::Role role;
        QColor expected;
    };
    const std::vector<Piece> pieces = {
        {"normal ", Console::Role::Normal, QColor("#010203")},
        {"info ", Console::Role::Info, QColor("#00aa00")},
        {"more ", Console::Role::None, QColor("#00aa00")},
        {"error ", Console::Role::Error, QColor("#cc0000")},
        {"tail", Console::Role::None, QColor("#cc0000")},
        {" back", Console::Role::Normal, QColor("#010203")},
    };
    int start = 0;
    for (const Piece &p : pieces) {
        view.append(p.text, p.role);
        EXPECT_EQ(colourAt(view, start), p.expected) << p.text.toStdString();
        start += int(p.text.size());
    }
    EXPECT_EQ(view.toPlainText(), "normal info more error tail back");
    EXPECT_EQ(view.inputMark(), start);

    // A colour changed in the settings applies to later output.
    Defaults::instance().setValue(keys::consoleErrorColor, "#0000ff");
    view.append("x", Console::Role::Error);
    EXPECT_EQ(colourAt(view, start), QColor("#0000ff"));

    view.clear();
    EXPECT_TRUE(view.toPlainText().isEmpty());
    EXPECT_EQ(view.inputMark(), 0);
}

TEST_F(ConsoleViewTest, TypingIsIgnoredWhenNoProgramRuns)
{
    ConsoleView view;
    InteractiveConsoleController runner(&view);
    view.setRunner(&runner);
    view.append("done\n", Console::Role::Normal);
    QTest::keyClicks(&view, "abc");
    QTest::keyClick(&view, Qt::Key_Backspace);
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(view.toPlainText(), "done\n");
}

// Runs /bin/cat in the runner; each line typed comes back as output once.
TEST_F(ConsoleViewTest, TypedLinesReachTheRunningProgramOnceEach)
{
    ConsoleView view;
    InteractiveConsoleController runner(&view);
    view.setRunner(&runner);
    runner.pathToExecutable = "/bin/";
    runner.nameOfExecutable = "cat";
    runner.workingDirectory = QDir::tempPath();
    view.append("prompt> ", Console::Role::Normal);
    ASSERT_TRUE(runner.executeWithData(std::nullopt, QStringList(), true, "test"));
    ASSERT_TRUE(runner.isRunningExecutable());
    ASSERT_TRUE(runner.acceptTypedInput());

    // Move the caret into the output first: typing still goes to the end, and backspace at
    // the mark erases nothing of the output.
    view.moveCursor(QTextCursor::Start);
    QTest::keyClick(&view, Qt::Key_Backspace);
    QTest::keyClicks(&view, "one");
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_TRUE(view.toPlainText().startsWith("prompt> one\n"));
    QTRY_VERIFY_WITH_TIMEOUT(view.toPlainText().count("one") == 2, 5000);

    QTest::keyClicks(&view, "twx");
    QTest::keyClick(&view, Qt::Key_Backspace);
    QTest::keyClicks(&view, "o");
    QTest::keyClick(&view, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(view.toPlainText().count("two") == 2, 5000);
    // The first line was sent once only, not again with the second.
    QTest::qWait(100);
    EXPECT_EQ(view.toPlainText().count("one"), 2);
    EXPECT_EQ(view.toPlainText().count("twx"), 0);

    QSignalSpy done(&runner, &InteractiveConsoleController::consoleTaskCompleted);
    runner.closeInput();
    QTRY_VERIFY_WITH_TIMEOUT(done.count() == 1, 5000);
    EXPECT_FALSE(runner.isRunningExecutable());
}

} // namespace
} // namespace corvane
