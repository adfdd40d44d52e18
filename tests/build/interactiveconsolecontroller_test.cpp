// The process runner against real children built with gfortran: streams and colours, exit codes
// and signals, input (given, typed, large and slow), floods, and the one-and-only completion.
#include "build/interactiveconsolecontroller.h"
#include "faketool.h"
#include "support/testutil.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace corvane;
using namespace corvane::test;
using Role = Console::Role;

namespace
{

const QString kCompleted = QString::fromUtf8(consoletexts::kCompleted);

struct Runner {
    RecordingConsole console;
    InteractiveConsoleController runner{&console};
    QSignalSpy completed{&runner, &InteractiveConsoleController::consoleTaskCompleted};

    explicit Runner(const QString &program = fakeTool())
    {
        const QFileInfo fi(program);
        runner.pathToExecutable = fi.absolutePath() + "/";
        runner.nameOfExecutable = fi.fileName();
    }
    bool start(const QStringList &args, const std::optional<QByteArray> &data = std::nullopt)
    {
        return runner.executeWithData(data, args, true, consoletexts::kExecuteOperation);
    }
    bool waitDone(int timeoutMs = 60000)
    {
        return waitFor(
            [this] {
                return completed.count() > 0 && !console.segments.isEmpty() &&
                       console.segments.last().text.endsWith(kCompleted);
            },
            timeoutMs);
    }
};

// Measures the longest gap between ticks of a 5 ms timer on this thread.
class StallMeter
{
public:
    StallMeter()
    {
        m_clock.start();
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.elapsed();
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
        m_timer.start();
    }
    qint64 longestMs() const { return m_longest; }

private:
    QElapsedTimer m_clock;
    QTimer m_timer;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

} // namespace

TEST(InteractiveConsoleController, StreamsOutputAndErrorsInTheirRoles)
{
    Runner r;
    ASSERT_TRUE(r.start({"interleave"}));
    EXPECT_TRUE(r.runner.isRunningExecutable());
    EXPECT_TRUE(r.runner.acceptTypedInput());
    ASSERT_TRUE(r.waitDone());
    ASSERT_EQ(r.console.segments.size(), 4);
    EXPECT_EQ(r.console.segments[0].text, "out one\n");
    EXPECT_EQ(r.console.segments[0].role, Role::Normal);
    EXPECT_EQ(r.console.segments[1].text, "err one\n");
    EXPECT_EQ(r.console.segments[1].role, Role::Error);
    EXPECT_EQ(r.console.segments[2].text, "out two\n");
    EXPECT_EQ(r.console.segments[3].text, kCompleted);
    EXPECT_EQ(r.console.segments[3].role, Role::Info);
    // The diagnostics parser gets the error text after one leading blank.
    EXPECT_EQ(r.runner.errorString(), " err one\n");
    EXPECT_TRUE(r.runner.hasPostedErrors());
    EXPECT_EQ(r.completed.count(), 1);
    EXPECT_FALSE(r.runner.isRunningExecutable());
    EXPECT_FALSE(r.runner.acceptTypedInput());
    EXPECT_EQ(r.runner.contextInfo(), "ExecuteOperation");
}

TEST(InteractiveConsoleController, ReportsExitCodesAndSignals)
{
    struct Case {
        const char *name;
        QStringList args;
        QString message; // error line before the completion line; empty: none
        int exitCode;
        std::optional<int> signal;
    };
    const Case cases[] = {
        {"clean exit", {"exit", "0"}, {}, 0, std::nullopt},
        {"exit code 3",
         {"exit", "3"},
         "Corvane: Error: Execution exited with code 3 \n",
         3,
         std::nullopt},
        {"SIGSEGV",
         {"segv"},
         "Corvane: Error: Execution terminated by signal 11 (SIGSEGV) \n",
         11,
         11},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Runner r;
        ASSERT_TRUE(r.start(c.args));
        ASSERT_TRUE(r.waitDone());
        const auto &segs = r.console.segments;
        ASSERT_GE(segs.size(), 2);
        EXPECT_EQ(segs.last().text, kCompleted);
        if (c.message.isEmpty()) {
            EXPECT_EQ(segs[segs.size() - 2].role, Role::Normal);
        } else {
            // The gfortran run time prints its own crash note on stderr first.
            EXPECT_TRUE(segs[segs.size() - 2].text.endsWith(c.message))
                << segs[segs.size() - 2].text.toStdString();
            EXPECT_EQ(segs[segs.size() - 2].role, Role::Error);
        }
        EXPECT_EQ(r.runner.lastExitCode(), c.exitCode);
        EXPECT_EQ(r.runner.lastTerminatingSignal(), c.signal);
        EXPECT_EQ(r.completed.count(), 1);
    }
}

TEST(InteractiveConsoleController, FailedStartsReportAndComplete)
{
    struct Case {
        const char *name;
        QString path, name_;
        QString expected;
    };
    const Case cases[] = {
        {"no path", "", "prog", "Corvane: The path to the executable has not been set.\n"},
        {"no name", "/usr/bin/", "", "Corvane: The executable name has not been set\n"},
        {"missing file", "/nonexistent/dir/", "prog",
         "Corvane: File not found:/nonexistent/dir/prog \nCorvane: Build again, then run.\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        RecordingConsole console;
        InteractiveConsoleController runner(&console);
        QSignalSpy completed(&runner, &InteractiveConsoleController::consoleTaskCompleted);
        runner.pathToExecutable = c.path;
        runner.nameOfExecutable = c.name_;
        EXPECT_FALSE(runner.executeWithData(std::nullopt, std::nullopt, true, "ExecuteOperation"));
        EXPECT_EQ(completed.count(), 1);
        EXPECT_EQ(console.text(Role::Error), c.expected);
        EXPECT_EQ(console.text(Role::Normal), "");
        EXPECT_FALSE(runner.isRunningExecutable());
    }
}

TEST(InteractiveConsoleController, AProgramThatCannotStartIsReported)
{
    QTemporaryDir dir;
    writeFile(dir.filePath("prog"), "not a program");
    RecordingConsole console;
    InteractiveConsoleController runner(&console);
    QSignalSpy completed(&runner, &InteractiveConsoleController::consoleTaskCompleted);
    runner.pathToExecutable = dir.path() + "/";
    runner.nameOfExecutable = "prog";
    EXPECT_FALSE(runner.executeWithData(std::nullopt, std::nullopt, true, "ExecuteOperation"));
    EXPECT_EQ(completed.count(), 1);
    EXPECT_TRUE(console.text(Role::Error)
                    .startsWith("Corvane: Error: Could not start " + dir.path() + "/prog: "))
        << console.text().toStdString();
    EXPECT_FALSE(runner.isRunningExecutable());
    EXPECT_FALSE(runner.acceptTypedInput());
}

TEST(InteractiveConsoleController, FinishesExactlyOnceInEveryOrderOfEvents)
{
    using Event = std::function<void(InteractiveConsoleController &)>;
    const Event outEnd = [](InteractiveConsoleController &c) { c.executeOutputAvailable({}); };
    const Event errEnd = [](InteractiveConsoleController &c) { c.executeErrorAvailable({}); };
    const Event term = [](InteractiveConsoleController &c) {
        c.executeDidComplete(0, QProcess::NormalExit);
    };
    std::vector<int> order{0, 1, 2};
    do {
        const Event events[] = {outEnd, errEnd, term};
        Runner r;
        SCOPED_TRACE(::testing::Message() << order[0] << order[1] << order[2]);
        ASSERT_TRUE(r.start({"sleep", "20"}));
        r.runner.executeOutputAvailable("partial ");
        events[order[0]](r.runner);
        events[order[1]](r.runner);
        EXPECT_EQ(r.completed.count(), 0);
        events[order[2]](r.runner);
        EXPECT_EQ(r.completed.count(), 1);
        // Repeated and late events change nothing.
        outEnd(r.runner);
        errEnd(r.runner);
        term(r.runner);
        r.runner.executeOutputAvailable("late");
        waitFor([] { return false; }, 200);
        EXPECT_EQ(r.completed.count(), 1);
        EXPECT_EQ(r.console.text(), "partial " + kCompleted);
        EXPECT_FALSE(r.runner.isRunningExecutable());
    } while (std::next_permutation(order.begin(), order.end()));
}

TEST(InteractiveConsoleController, KillCompletesAtOnceAndReportsNothingMore)
{
    Runner r;
    ASSERT_TRUE(r.start({"sleep", "30"}));
    r.runner.killExecute();
    EXPECT_EQ(r.completed.count(), 1);
    EXPECT_FALSE(r.runner.isRunningExecutable());
    r.runner.killExecute(); // a second kill has nothing to end
    waitFor([] { return false; }, 500);
    EXPECT_EQ(r.completed.count(), 1);
    EXPECT_EQ(r.console.text(), "");
    // The runner is free for the next child.
    ASSERT_TRUE(r.start({"exit", "0"}));
    ASSERT_TRUE(r.waitDone());
    EXPECT_EQ(r.completed.count(), 2);
}

TEST(InteractiveConsoleController, InputGivenAtStartAndTyped)
{
    {
        SCOPED_TRACE("input bytes at start");
        Runner r;
        ASSERT_TRUE(r.start({"echo"}, QByteArray("alpha\nbeta\nend\n")));
        EXPECT_FALSE(r.runner.acceptTypedInput());
        ASSERT_TRUE(r.waitDone());
        EXPECT_EQ(r.console.text(Role::Normal), "got: [alpha]\ngot: [beta]\necho done\n");
    }
    {
        SCOPED_TRACE("typed input, then end of input");
        Runner r;
        ASSERT_TRUE(r.start({"echo"}));
        EXPECT_TRUE(r.runner.acceptTypedInput());
        r.runner.sendDataToExecutable("h\xc3\xa9llo\n");
        ASSERT_TRUE(waitFor([&] { return r.console.text().contains("got: [h\u00e9llo]"); }));
        r.runner.closeInput();
        ASSERT_TRUE(r.waitDone());
        EXPECT_EQ(r.console.text(Role::Normal), "got: [h\u00e9llo]\necho done\n");
        r.runner.sendDataToExecutable("ignored\n"); // no child: nothing happens
    }
}

TEST(InteractiveConsoleController, DecodesCharactersSplitAcrossChunks)
{
    // (we had this fault) each chunk was decoded on its own, so a character cut by a pipe read
    // became two replacement characters.
    Runner r;
    ASSERT_TRUE(r.start({"sleep", "20"}));
    r.runner.executeOutputAvailable("caf\xc3");
    r.runner.executeOutputAvailable("\xa9\n");
    r.runner.executeErrorAvailable("\xe2\x80");
    r.runner.executeErrorAvailable("\x98x\xe2\x80\x99\n");
    r.runner.killExecute();
    EXPECT_EQ(r.console.text(Role::Normal), "caf\u00e9\n");
    EXPECT_EQ(r.console.text(Role::Error), "\u2018x\u2019\n");
    EXPECT_EQ(r.runner.errorString(), " \u2018x\u2019\n");
}

TEST(InteractiveConsoleController, LargeInputToSlowReaderNeverBlocks)
{
    QByteArray input;
    const QByteArray line(99, 'y');
    while (input.size() < 10 * 1024 * 1024)
        input += line + '\n';
    const qsizetype lines = input.size() / 100;
    input += "end\n";
    Runner r;
    StallMeter meter;
    QElapsedTimer started;
    started.start();
    ASSERT_TRUE(r.start({"slowread"}, input));
    // The start returns long before a slow reader could have taken 10 MB.
    EXPECT_LT(started.elapsed(), 2000);
    ASSERT_TRUE(r.waitDone(120000));
    EXPECT_EQ(r.console.text(Role::Normal),
              QString("lines %1 chars %2\n").arg(lines).arg(lines * 99));
    std::cout << "[ figure ] 10 MB input, longest event-loop stall " << meter.longestMs()
              << " ms\n";
    EXPECT_LT(meter.longestMs(), 2000);
}

TEST(InteractiveConsoleController, OutputFloodKeepsBoundedTailAndResponsiveLoop)
{
    Runner r;
    r.runner.consoleTail = 1024 * 1024;
    StallMeter meter;
    ASSERT_TRUE(r.start({"flood", "200"}));
    ASSERT_TRUE(r.waitDone(300000));
    const qsizetype expected = 200LL * 1024 * 1024;
    const QString all = r.console.text();
    // The console was started over with a note, and holds at most the tail plus the notes.
    EXPECT_GE(r.console.clears, 1);
    EXPECT_LE(r.console.largestContent, r.runner.consoleTail + 200);
    // Output reaches the console in pieces, so no single append holds the event loop long.
    EXPECT_LE(r.console.largestAppend, InteractiveConsoleController::kFlushChars);
    ASSERT_TRUE(all.startsWith("Corvane: Output exceeded the console limit; "));
    const qsizetype noteEnd = all.indexOf('\n') + 1;
    const qsizetype dropped = all.mid(44, all.indexOf(' ', 44) - 44).toLongLong();
    const qsizetype kept = all.size() - noteEnd - kCompleted.size();
    EXPECT_EQ(dropped + kept, expected);
    EXPECT_TRUE(all.endsWith(QString(1023, 'x') + "\n" + kCompleted));
    std::cout << "[ figure ] 200 MB flood, longest event-loop stall " << meter.longestMs()
              << " ms\n";
    EXPECT_LT(meter.longestMs(), 2000);
}

TEST(InteractiveConsoleController, ChildRunsInItsWorkingDirectoryWithItsEnvironment)
{
    QTemporaryDir dir;
    const QString before = QDir::currentPath();
    Runner r;
    r.runner.workingDirectory = dir.path();
    QProcessEnvironment env;
    env.insert("CORVANE_PROBE", "probe value");
    r.runner.environmentDictionary = env;
    ASSERT_TRUE(r.start({"cwd"}));
    ASSERT_TRUE(r.waitDone());
    EXPECT_EQ(r.console.text(Role::Normal), QFileInfo(dir.path()).canonicalFilePath() + "\n");
    EXPECT_EQ(QDir::currentPath(), before);

    r.console.segments.clear();
    ASSERT_TRUE(r.start({"env", "CORVANE_PROBE"}));
    ASSERT_TRUE(r.waitDone());
    EXPECT_EQ(r.console.text(Role::Normal), "probe value\n");
}

TEST(InteractiveConsoleController, RelativeLaunchPathAndArgumentsAsGiven)
{
    QTemporaryDir dir;
    QFile::copy(fakeTool(), dir.filePath("prog"));
    QFile(dir.filePath("prog")).setPermissions(QFile::ExeOwner | QFile::ReadOwner);
    RecordingConsole console;
    InteractiveConsoleController runner(&console);
    QSignalSpy completed(&runner, &InteractiveConsoleController::consoleTaskCompleted);
    runner.pathToExecutable = "./";
    runner.nameOfExecutable = "prog";
    runner.workingDirectory = dir.path();
    ASSERT_TRUE(runner.executeWithData(std::nullopt, QStringList{"args", "a", "", "b c"}, true,
                                       "ExecuteOperation"));
    ASSERT_TRUE(waitFor([&] { return completed.count() == 1; }));
    EXPECT_EQ(console.text(), "[a]\n[]\n[b c]\n" + kCompleted);
}

TEST(InteractiveConsoleController, NonContinuousModeWaitsForTheChild)
{
    Runner r;
    ASSERT_TRUE(r.runner.executeWithData(QByteArray("one\n"), QStringList{"echo"}, false,
                                         "CompileOperation"));
    EXPECT_EQ(r.completed.count(), 1);
    EXPECT_EQ(r.console.text(), "got: [one]\necho done\n" + kCompleted);
    EXPECT_EQ(r.runner.contextInfo(), "CompileOperation");
}

TEST(InteractiveConsoleController, SignalNames)
{
    EXPECT_EQ(signalName(11), "SIGSEGV");
    EXPECT_EQ(signalName(9), "SIGKILL");
    EXPECT_EQ(signalName(6), "SIGABRT");
    EXPECT_EQ(signalName(999), "signal 999");
}

// (we had this bug) "Execution completed." followed a build that failed.
TEST(InteractiveConsoleController, OnlyTasksThatDidNotFailAsBuildsComplete)
{
    const struct {
        const char *name;
        const char *context;
        QStringList args;
        bool completed;
    } cases[] = {
        {"build that failed", consoletexts::kCompileOperation, {"exit", "2"}, false},
        {"build that crashed", consoletexts::kCompileOperation, {"segv"}, false},
        {"build that succeeded", consoletexts::kCompileOperation, {"exit", "0"}, true},
        {"run with a failure status", consoletexts::kExecuteOperation, {"exit", "3"}, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Runner r;
        ASSERT_TRUE(r.runner.executeWithData(std::nullopt, c.args, true, c.context));
        ASSERT_TRUE(waitFor([&] { return r.completed.count() > 0; }));
        QCoreApplication::processEvents();
        EXPECT_EQ(r.console.text().contains(kCompleted), c.completed) << r.console.text().toStdString();
    }
}

// Launch paths are the user's file names: "%1" in them is text, not a place to fill in.
TEST(InteractiveConsoleController, StartFailuresKeepTheLaunchPathAsWritten)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("%1 %2 %L1 %%");
    test::writeFile(folder + "/not-executable", "plain text\n");
    const struct {
        const char *name;
        QString program;
        QString told;
    } cases[] = {
        {"missing", folder + "/gone", "Corvane: File not found:" + folder + "/gone \n"},
        {"cannot start", folder + "/not-executable",
         "Corvane: Error: Could not start " + folder + "/not-executable: "},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Runner r(c.program);
        EXPECT_FALSE(r.start({}));
        EXPECT_TRUE(r.console.text().startsWith(c.told)) << r.console.text().toStdString();
    }
}
