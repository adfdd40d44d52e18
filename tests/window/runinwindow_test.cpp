// A run from the project window: progress text, typed input through the console view, elapsed
// time and the idle state afterwards.
#include "build/interactiveconsolecontroller.h"
#include "build/rundriver.h"
#include "settings/defaults.h"
#include "window/consoleview.h"
#include "window/elapsedtimeview.h"
#include "windowtestutil.h"

#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace corvane
{
namespace
{

// A stand-in for the built program: asks for a name and answers it.
void writeProgram(const QString &path)
{
    test::writeFile(path, "#!/bin/sh\necho 'name?'\nread x\necho \"hello $x\"\n");
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
}

TEST(RunInWindow, TypedInputReachesTheProgramAndTheWindowReturnsToIdle)
{
    test::ProjectFixture fx;
    auto window = fx.open(fx.makeProject({{"a.f90", "program a\nend program a\n"}}));
    MyDocument *doc = window->document();
    writeProgram(fx.path(doc->executableName()));
    doc->setInputOption(1); // typed input

    QSignalSpy done(window->runner(), &InteractiveConsoleController::consoleTaskCompleted);
    ASSERT_TRUE(window->runDriver()->run());
    EXPECT_EQ(window->progressText(), "Running...");
    EXPECT_TRUE(window->action("abort")->isEnabled()) << "a run started by the driver itself";
    EXPECT_EQ(window->currentTab(), DocWindowController::ConsoleTab);

    ConsoleView *console = window->console();
    QTRY_VERIFY_WITH_TIMEOUT(console->toPlainText().contains("name?\n"), 5000);
    QTest::keyClicks(console, "Ada");
    QTest::keyClick(console, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(console->toPlainText().contains("hello Ada"), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(done.count() == 1, 5000);

    EXPECT_TRUE(console->toPlainText().contains("Execution completed"));
    EXPECT_FALSE(window->runDriver()->processIsRunning());
    EXPECT_TRUE(window->progressText().isEmpty() || window->progressText() == "Indexing...")
        << window->progressText().toStdString();
    // The elapsed time was shown in the chosen unit (seconds here).
    EXPECT_EQ(window->elapsedTimeView()->elapsedText(),
              QString::number(window->runDriver()->elapsedCPUTime(), 'f', 3));
}

TEST(RunInWindow, MissingProgramSaysSoAndLeavesTheWindowIdle)
{
    test::ProjectFixture fx;
    auto window = fx.open(fx.makeProject({{"a.f90", "program a\nend program a\n"}}));
    window->document()->setInputOption(1);
    window->runDriver()->run();
    QTRY_VERIFY_WITH_TIMEOUT(!window->runDriver()->processIsRunning(), 5000);
    EXPECT_TRUE(window->console()->toPlainText().contains("Corvane:"))
        << window->console()->toPlainText().toStdString();
    EXPECT_NE(window->progressText(), "Running...");
}

TEST(RunInWindow, AbortEndsALongRunAndTheWindowReturnsToIdle)
{
    test::ProjectFixture fx;
    auto window = fx.open(fx.makeProject({{"a.f90", "program a\nend program a\n"}}));
    MyDocument *doc = window->document();
    const QString program = fx.path(doc->executableName());
    test::writeFile(program, "#!/bin/sh\necho started\nexec sleep 30\n");
    QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner);
    doc->setInputOption(1);

    window->runDriver()->setCanRunExecutable(true); // as after a build
    ASSERT_TRUE(window->action("run")->isEnabled());
    window->action("run")->trigger();
    ASSERT_TRUE(window->runDriver()->processIsRunning());
    QTRY_VERIFY_WITH_TIMEOUT(window->console()->toPlainText().contains("started"), 5000);
    window->validateCommands();
    ASSERT_TRUE(window->action("abort")->isEnabled());

    window->action("abort")->trigger();
    EXPECT_FALSE(window->runDriver()->processIsRunning());
    EXPECT_FALSE(window->runner()->isRunningExecutable());
    EXPECT_TRUE(window->console()->toPlainText().contains("Corvane: Execution aborted."));
    EXPECT_NE(window->progressText(), "Running...");
    window->validateCommands();
    EXPECT_FALSE(window->action("abort")->isEnabled());
    EXPECT_TRUE(window->action("run")->isEnabled());
}

// (we had this bug) Abort was disabled once the program ended, so what it had started and left
// running could not be ended from the window.
TEST(RunInWindow, AbortStaysEnabledForProcessesTheRunLeftRunning)
{
    test::ProjectFixture fx;
    auto window = fx.open(fx.makeProject({{"a.f90", "program a\nend program a\n"}}));
    MyDocument *doc = window->document();
    const QString program = fx.path(doc->executableName());
    test::writeFile(program, "#!/bin/sh\nsleep 60 > /dev/null 2>&1 &\necho $!\n");
    QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner);
    doc->setInputOption(1);
    window->runDriver()->setCanRunExecutable(true);
    window->show();

    window->action("run")->trigger();
    ConsoleView *console = window->console();
    QTRY_VERIFY_WITH_TIMEOUT(console->toPlainText().contains("Execution completed"), 10000);
    const qint64 child = console->toPlainText().section('\n', 0, 0).toLongLong();
    ASSERT_GT(child, 0) << console->toPlainText().toStdString();
    EXPECT_TRUE(console->toPlainText().contains(
        "Corvane: 1 process started by the program is still running."));
    EXPECT_TRUE(window->action("abort")->isEnabled());
    EXPECT_TRUE(window->action("run")->isEnabled());

    // Ctrl+. as a user would press it.
    QTest::keyClick(window.get(), Qt::Key_Period, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return test::processEnded(child); }, 10000));
    EXPECT_TRUE(console->toPlainText().endsWith(
        "Corvane: 1 process started by the program was ended.\n"))
        << console->toPlainText().toStdString();
    EXPECT_FALSE(console->toPlainText().contains("Execution aborted"));
    EXPECT_FALSE(window->action("abort")->isEnabled());
}

// A leftover that ends by itself is forgotten and Abort is disabled again.
TEST(RunInWindow, AbortIsDisabledWhenTheLeftoverProcessesEndByThemselves)
{
    test::ProjectFixture fx;
    auto window = fx.open(fx.makeProject({{"a.f90", "program a\nend program a\n"}}));
    MyDocument *doc = window->document();
    const QString program = fx.path(doc->executableName());
    test::writeFile(program, "#!/bin/sh\nsleep 1 > /dev/null 2>&1 &\n");
    QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner);
    doc->setInputOption(1);
    window->runDriver()->run();
    QTRY_VERIFY_WITH_TIMEOUT(window->console()->toPlainText().contains("Execution completed"),
                             10000);
    ASSERT_TRUE(window->console()->toPlainText().contains("still running"));
    EXPECT_TRUE(window->action("abort")->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!window->action("abort")->isEnabled(), 5000);
    EXPECT_FALSE(window->runner()->hasLeftoverProcesses());
}

TEST(RunInWindow, SavedConsoleIsShownAgainWhenTheProjectReopens)
{
    for (const bool save : {true, false}) {
        Defaults::instance().setValue("saveConsoleSessions", save);
        test::ProjectFixture fx;
        const QString project = fx.makeProject({{"a.f90", "program a\nend program a\n"}});
        {
            auto window = fx.open(project);
            window->console()->append("kept output\n", Console::Role::Error);
            const auto written = window->document()->write(project);
            ASSERT_TRUE(written.ok()) << written.error().toStdString();
        }
        auto window = fx.open(project);
        const QString text = window->console()->toPlainText();
        EXPECT_EQ(text.contains("kept output"), save) << text.toStdString();
        // Typing after the restored text starts at its end.
        EXPECT_EQ(window->console()->inputMark(), text.size());
    }
    Defaults::instance().setValue("saveConsoleSessions", false);
}

} // namespace
} // namespace corvane
