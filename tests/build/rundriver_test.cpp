// The Run command against real programs in a temporary project: arguments, input file, thread
// count, MPI launch, completion state, abort, crash reports, time units and the input-file tab.
#include "build/interactiveconsolecontroller.h"
#include "build/rundriver.h"
#include "build/unix.h"
#include "faketool.h"
#include "project/mydocument.h"
#include "project/prompts.h"
#include "settings/defaults.h"
#include "support/testutil.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>

using namespace corvane;
using namespace corvane::test;
using Role = Console::Role;

namespace
{

const QString kCompleted = QString::fromUtf8(consoletexts::kCompleted);

// A saved project in a temporary folder whose executable is the fake tool (or a given program).
struct Project {
    QTemporaryDir dir;
    MyDocument doc;
    RecordingConsole console;
    InteractiveConsoleController runner{&console};
    RecordingPrompts prompts;
    RunDriver driver{&doc, &runner, &prompts};
    QSignalSpy completed{&runner, &InteractiveConsoleController::consoleTaskCompleted};

    explicit Project(const QString &program = fakeTool())
    {
        Defaults::instance().remove("environmentVariables");
        doc.setFileName(dir.filePath("Demo Run.corvane"));
        const QString exe = dir.filePath(doc.executableName());
        QFile::copy(program, exe);
        QFile(exe).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        doc.setCompiler(0);
        doc.setInputOption(2);
        driver.setCrashReportDirectory(dir.filePath("crash"));
    }
    bool waitDone(int count = 1, int timeoutMs = 60000)
    {
        return waitFor(
            [&] { return completed.count() >= count && console.text().endsWith(kCompleted); },
            timeoutMs);
    }
};

} // namespace

// (we had this bug) Arguments were cut at every blank, so none could hold a blank.
TEST(RunDriver, SplitsArgumentsAsAShellWould)
{
    struct Case {
        QString text;
        QStringList args;
    };
    const Case cases[] = {
        {QString(), {}},
        {QString(""), {}},
        {"a b", {"a", "b"}},
        {"a  b", {"a", "b"}},
        {" lead", {"lead"}},
        {"a 'b c'", {"a", "b c"}},
        {"\"x y\" z", {"x y", "z"}},
        {"''", {""}},
        {"a\\ b 'it''s' \"say \\\"hi\\\"\" \"\\n\"", {"a b", "its", "say \"hi\"", "\\n"}},
        {"$HOME *.f90 `id`", {"$HOME", "*.f90", "`id`"}}, // nothing is expanded
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(RunDriver::splitArguments(c.text), c.args);
    }
}

TEST(RunDriver, RunsTheProgramInTheProjectFolderWithItsArguments)
{
    Project p;
    const QString before = QDir::currentPath();
    p.doc.setCommandLineArguments("args one  'two three'");
    QSignalSpy build(&p.driver, &RunDriver::buildEnabledChanged);
    QSignalSpy close(&p.driver, &RunDriver::closeButtonEnabledChanged);
    ASSERT_TRUE(p.driver.run());
    EXPECT_TRUE(p.driver.processIsRunning());
    EXPECT_TRUE(p.driver.isExecutingFortranCode());
    EXPECT_FALSE(p.driver.canRunExecutable());
    EXPECT_NE(p.driver.cpuTimer(), nullptr);
    EXPECT_EQ(p.runner.pathToExecutable, "./");
    EXPECT_EQ(p.runner.nameOfExecutable, p.doc.executableName());
    ASSERT_TRUE(p.waitDone());
    EXPECT_EQ(p.console.text(), "[one]\n[two three]\n" + kCompleted);
    EXPECT_FALSE(p.driver.processIsRunning());
    EXPECT_TRUE(p.driver.canRunExecutable());
    EXPECT_FALSE(p.driver.isExecutingFortranCode());
    EXPECT_EQ(p.driver.cpuTimer(), nullptr);
    EXPECT_TRUE(p.doc.isDocumentEdited());
    EXPECT_TRUE(p.doc.continuouslyUpdateConsole());
    EXPECT_EQ(QDir::currentPath(), before);
    ASSERT_EQ(build.count(), 2);
    EXPECT_EQ(build.last().at(0).toBool(), true);
    EXPECT_EQ(close.last().at(0).toBool(), true);
    EXPECT_EQ(p.driver.pathToExecutable(), p.dir.filePath(p.doc.executableName()));
}

// (we had this bug) The input stayed open after the input file: a program reading past its end
// waited for ever, and a last line without its line end was only read because one was added.
TEST(RunDriver, TheInputFileEndsTheProgramsInput)
{
    const struct {
        const char *name;
        QByteArray bytes;
        QString read;
    } cases[] = {
        {"last line without its line end", "alpha\n\xc3\xa9t\xc3\xa9\nend",
         "got: [alpha]\ngot: [\u00e9t\u00e9]\necho done\n"},
        {"read past the end", "alpha\nbeta", "got: [alpha]\ngot: [beta]\necho done\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Project p;
        writeFile(p.dir.filePath("input.txt"), c.bytes);
        p.doc.setInputOption(0);
        p.doc.setInputFileName(p.dir.filePath("input.txt"));
        p.doc.setCommandLineArguments("echo");
        ASSERT_TRUE(p.driver.execute());
        EXPECT_FALSE(p.runner.acceptTypedInput());
        ASSERT_TRUE(p.waitDone(1, 20000));
        EXPECT_EQ(p.console.text(Role::Normal), c.read);
    }
}

// (we had this bug) The input file went through a UTF-8 decode (bytes that are not UTF-8 became
// U+FFFD) and got one more line feed.
TEST(RunDriver, FeedsTheInputFileByteForByte)
{
    QTemporaryDir scripts;
    const QString dump = scripts.filePath("dump");
    writeFile(dump, "#!/bin/sh\nexec od -An -v -tx1\n");
    const struct {
        const char *name;
        QByteArray bytes;
        QString fed; // as od shows it
    } cases[] = {
        {"not UTF-8", "a\xff\xfe\xc3" "b\n", " 61 ff fe c3 62 0a\n"},
        {"ends with a line feed", "x\n\n", " 78 0a 0a\n"},
        {"last line without its line end", "x", " 78\n"},
        {"empty", "", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Project p(dump);
        writeFile(p.dir.filePath("in.txt"), c.bytes);
        p.doc.setInputOption(0);
        p.doc.setInputFileName(p.dir.filePath("in.txt"));
        ASSERT_TRUE(p.driver.execute()); // od reads to the end of the input
        ASSERT_TRUE(p.waitDone(1, 20000));
        EXPECT_EQ(p.console.text(Role::Normal), c.fed);
    }
}

TEST(RunDriver, InputProblemsStopBeforeStarting)
{
    struct Case {
        const char *name;
        qint64 option;
        QString file; // relative to the project; empty: none
        bool runEnabled;
        QString alert;
    };
    const Case cases[] = {
        {"missing input file", 0, "gone.txt", true,
         "Cannot find input file\nPlease check the file name and path and try again"},
        {"no input file name", 0, "", true,
         "Cannot find input file\nPlease check the file name and path and try again"},
        {"unknown input option", 7, "", true, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Project p;
        p.doc.setInputOption(c.option);
        if (!c.file.isEmpty())
            p.doc.setInputFileName(p.dir.filePath(c.file));
        QSignalSpy build(&p.driver, &RunDriver::buildEnabledChanged);
        QSignalSpy run(&p.driver, &RunDriver::runEnabledChanged);
        QSignalSpy close(&p.driver, &RunDriver::closeButtonEnabledChanged);
        EXPECT_FALSE(p.driver.execute());
        EXPECT_FALSE(p.runner.isRunningExecutable());
        EXPECT_FALSE(p.driver.processIsRunning());
        EXPECT_FALSE(p.driver.canRunExecutable());
        EXPECT_EQ(build.last().at(0).toBool(), true);
        EXPECT_EQ(run.last().at(0).toBool(), c.runEnabled);
        EXPECT_EQ(close.last().at(0).toBool(), true);
        EXPECT_EQ(p.prompts.alerts, c.alert.isEmpty() ? QStringList() : QStringList{c.alert});
        EXPECT_EQ(p.completed.count(), 0);
    }
}

TEST(RunDriver, ThreadCountAndSearchPathReachTheProgram)
{
    struct Case {
        const char *name;
        qint64 compiler;
        QString variable;
        QVariantMap userVariables;
        QString want; // regular expression for the printed value
    };
    const Case cases[] = {
        {"OpenMP threads", 2, "OMP_NUM_THREADS", {}, "^8\n$"},
        {"no threads for serial", 0, "OMP_NUM_THREADS", {}, "^<unset>\n$"},
        {"user PATH first, extra folders last",
         0,
         "PATH",
         {{"PATH", "/opt/corvane-test/bin"}},
         "^/opt/corvane-test/bin:.*:/usr/local/bin:/opt/local/bin\n$"},
        {"unbuffered g95", 0, "G95_UNBUFFERED_6", {}, "^true\n$"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Project p;
        Defaults::instance().setValue("environmentVariables", c.userVariables);
        p.doc.setCompiler(c.compiler);
        p.doc.setNumberOfProcessors(8);
        p.doc.setCommandLineArguments("env " + c.variable);
        ASSERT_TRUE(p.driver.execute());
        ASSERT_TRUE(p.waitDone());
        EXPECT_TRUE(QRegularExpression(c.want).match(p.console.text(Role::Normal)).hasMatch())
            << p.console.text().toStdString();
        Defaults::instance().remove("environmentVariables");
    }
}

TEST(RunDriver, LaunchesMpiProgramsThroughMpirun)
{
    QTemporaryDir build;
    const QString program =
        buildFortran("mpif90", CORVANE_TEST_DATA "/runner_mpi.f90", build.path(), "mpiprobe");
    ASSERT_FALSE(program.isEmpty());
    Project p(program);
    Defaults::instance().setValue("environmentVariables",
                                  QVariantMap{{"OMPI_ALLOW_RUN_AS_ROOT", "1"},
                                              {"OMPI_ALLOW_RUN_AS_ROOT_CONFIRM", "1"},
                                              {"OMPI_MCA_rmaps_base_oversubscribe", "1"}});
    p.doc.setProjectCompilerPath("/usr/bin/mpif90\n");
    p.doc.setCompiler(1);
    p.doc.setNumberOfProcessors(2);
    p.doc.setCommandLineArguments("a b");
    ASSERT_TRUE(p.driver.execute());
    EXPECT_EQ(p.runner.nameOfExecutable, "mpirun");
    EXPECT_EQ(p.runner.pathToExecutable,
              Unix::directoryOf(*Unix::which("mpirun", p.driver.runEnvironment())));
    ASSERT_TRUE(p.waitDone(1, 120000));
    const QString out = p.console.text(Role::Normal);
    EXPECT_TRUE(out.contains("rank 0 of 2 [a] [b]\n")) << p.console.text().toStdString();
    EXPECT_TRUE(out.contains("rank 1 of 2 [a] [b]\n")) << p.console.text().toStdString();
    EXPECT_EQ(p.runner.lastExitCode(), 0);
    Defaults::instance().remove("environmentVariables");
}

TEST(RunDriver, CoarrayCompilersLaunchThroughCafrunAndMissingLaunchersAreTold)
{
    {
        Project p;
        p.doc.setProjectCompilerPath("/usr/bin/caf\n");
        p.doc.setCompiler(1);
        p.doc.setNumberOfProcessors(1);
        p.doc.setCommandLineArguments("exit 0");
        p.driver.execute();
        EXPECT_EQ(p.runner.nameOfExecutable, "cafrun");
        p.driver.abort();
    }
    {
        // No launcher on the search path: no directory, and the runner says so.
        Project p;
        Defaults::instance().setValue("environmentVariables",
                                      QVariantMap{{"PATH", "/nonexistent-corvane"}});
        qputenv("CORVANE_SAVED_PATH", qgetenv("PATH"));
        qputenv("PATH", "/nonexistent-corvane-2");
        p.doc.setProjectCompilerPath("/usr/bin/mpif90\n");
        p.doc.setCompiler(1);
        EXPECT_FALSE(p.driver.execute());
        qputenv("PATH", qgetenv("CORVANE_SAVED_PATH"));
        Defaults::instance().remove("environmentVariables");
        EXPECT_EQ(p.runner.pathToExecutable, "");
        EXPECT_EQ(p.console.text(Role::Error),
                  "Corvane: The path to the executable has not been set.\n");
        EXPECT_EQ(p.completed.count(), 1);
        EXPECT_FALSE(p.driver.processIsRunning());
    }
}

TEST(RunDriver, AbortEndsTheRunAndResetsTheWindow)
{
    Project p;
    p.doc.setCommandLineArguments("sleep 30");
    ASSERT_TRUE(p.driver.execute());
    EXPECT_FALSE(p.driver.execute()); // a second run while one runs starts nothing
    EXPECT_TRUE(p.driver.processIsRunning());
    p.driver.abort();
    EXPECT_FALSE(p.driver.processIsRunning());
    EXPECT_FALSE(p.runner.isRunningExecutable());
    EXPECT_EQ(p.completed.count(), 1);
    EXPECT_EQ(p.console.text(), "Corvane: Execution aborted.\n");
    EXPECT_TRUE(p.driver.canRunExecutable());
}

TEST(RunDriver, PeriodicTimerResetsTheWindowWhenTheCompletionWasMissed)
{
    Project p;
    p.driver.taskStarted("Running...");
    EXPECT_TRUE(p.driver.processIsRunning());
    p.driver.performPeriodicActions(); // no child runs
    EXPECT_FALSE(p.driver.processIsRunning());
    EXPECT_EQ(p.driver.cpuTimer(), nullptr);
    EXPECT_EQ(p.console.text(), "Corvane: Execution aborted.\n");
}

TEST(RunDriver, CompletionOutOfViewNotifiesAndLibrariesCannotRun)
{
    Project p;
    p.driver.setWindowInView([] { return false; });
    p.doc.setCompileForLibrary(true);
    QSignalSpy notify(&p.driver, &RunDriver::notifyUserOfCompletion);
    QSignalSpy compiled(&p.driver, &RunDriver::compileCompleted);
    p.doc.setCommandLineArguments("exit 3");
    ASSERT_TRUE(p.driver.execute());
    ASSERT_TRUE(p.waitDone());
    EXPECT_EQ(notify.count(), 1);
    EXPECT_TRUE(p.driver.wasExecutingFortranCode());
    EXPECT_FALSE(p.driver.canRunExecutable());
    EXPECT_EQ(compiled.count(), 0);
    EXPECT_TRUE(
        p.console.text().endsWith("Corvane: Error: Execution exited with code 3 \n" + kCompleted));

    // A build's task through the same runner: the build completion is asked for, no notice.
    p.runner.pathToExecutable = "./";
    p.runner.nameOfExecutable = p.doc.executableName();
    p.runner.workingDirectory = p.dir.path();
    p.driver.taskStarted("Compiling...");
    ASSERT_TRUE(
        p.runner.executeWithData(std::nullopt, QStringList{"exit", "0"}, true, "CompileOperation"));
    ASSERT_TRUE(p.waitDone(2));
    EXPECT_EQ(compiled.count(), 1);
    EXPECT_EQ(notify.count(), 1);
}

TEST(RunDriver, CrashReportsNewerThanTheRunAreShownOnce)
{
    Project p;
    p.doc.setCommandLineArguments("segv");
    ASSERT_TRUE(p.driver.execute());
    const QString crash = p.dir.filePath("crash");
    const QString exe = p.doc.executableName();
    writeFile(crash + "/A_" + exe + "_old.crash", "old report");
    QFile old(crash + "/A_" + exe + "_old.crash");
    ASSERT_TRUE(old.open(QIODevice::ReadWrite));
    old.setFileTime(p.driver.startTime().addSecs(-60), QFileDevice::FileModificationTime);
    old.close();
    writeFile(crash + "/.hidden_" + exe + ".crash", "hidden");
    writeFile(crash + "/other.crash", "someone else");
    writeFile(crash + "/_tmp_" + exe + ".0.crash", "ProblemType: Crash\nSignal: 11");
    ASSERT_TRUE(p.waitDone());
    EXPECT_TRUE(p.console.text(Role::Error)
                    .contains("Corvane: Error: Execution terminated by signal 11 (SIGSEGV) \n"));
    waitFor([] { return false; }, 1600);
    const QString all = p.console.text();
    EXPECT_EQ(all.count("Crash Log...\n"), 1);
    EXPECT_TRUE(all.endsWith(kCompleted + "Crash Log...\nProblemType: Crash\nSignal: 11\n"))
        << all.toStdString();
    EXPECT_FALSE(all.contains("old report"));
}

TEST(RunDriver, TimeUnitsConvertTheShownTime)
{
    Project p;
    EXPECT_EQ(p.driver.timeUnitsScale(), 1.0);
    p.driver.setElapsedCPUTime(90);
    struct Step {
        int index;
        double shown;
    };
    const Step steps[] = {{1, 1.5}, {2, 0.025}, {9, 0.025}, {0, 90}};
    for (const Step &s : steps) {
        SCOPED_TRACE(s.index);
        p.driver.changeTimeUnits(s.index);
        EXPECT_NEAR(p.driver.elapsedCPUTime(), s.shown, 1e-9);
    }
    // Only the current timer brings the time up to date.
    QTimer stranger;
    p.driver.computeCPUTime(&stranger);
    EXPECT_NEAR(p.driver.elapsedCPUTime(), 90, 1e-9);
}

TEST(RunDriver, InputFileTabCommands)
{
    Project p;
    p.doc.setInputOption(0);
    QSignalSpy loaded(&p.driver, &RunDriver::inputFileTextLoaded);
    QSignalSpy tab(&p.driver, &RunDriver::inputFileTabRequested);

    ASSERT_TRUE(p.driver.createNewInputFile(p.dir.filePath("InputFile.txt")));
    EXPECT_TRUE(QFile::exists(p.dir.filePath("InputFile.txt")));
    EXPECT_EQ(p.doc.storedInputFileName(), p.dir.filePath("InputFile.txt"));
    EXPECT_EQ(tab.count(), 1);
    EXPECT_EQ(loaded.count(), 0); // an empty file does not replace the tab's text
    EXPECT_FALSE(p.driver.reloadInputFile());

    p.doc.setInputFileWasEdited(true);
    ASSERT_TRUE(p.driver.saveInputFile("3 4\n5\n"));
    EXPECT_EQ(readFile(p.dir.filePath("InputFile.txt")), "3 4\n5\n");
    EXPECT_FALSE(p.doc.inputFileWasEdited());

    p.driver.browseForInputFile({p.dir.filePath("InputFile.txt")});
    EXPECT_FALSE(p.driver.reloadInputFile());
    EXPECT_EQ(loaded.count(), 0);

    writeFile(p.dir.filePath("other.txt"), "other data\n");
    p.driver.browseForInputFile({p.dir.filePath("other.txt"), p.dir.filePath("x")});
    EXPECT_EQ(p.doc.storedInputFileName(), p.dir.filePath("other.txt"));
    ASSERT_EQ(loaded.count(), 1);
    EXPECT_EQ(loaded.first().at(0).toString(), "other data\n");
    EXPECT_TRUE(p.driver.currentTabIsInputFile());

    EXPECT_FALSE(p.driver.createNewInputFile(p.dir.filePath("no/such/folder/in.txt")));
    EXPECT_EQ(p.prompts.errors.size(), 1);

    p.doc.setInputOption(1);
    EXPECT_FALSE(p.driver.editInputFile());
}

// (we had this bug) A child the program started and left running went unseen, and Abort ended
// only the program itself.
TEST(RunDriver, ProcessesThatTheProgramStartedAreToldAndEndedByAbort)
{
    QTemporaryDir scripts;
    const QString leaves = scripts.filePath("leaves");
    writeFile(leaves, "#!/bin/sh\nsleep 60 &\necho $!\nsleep 60 &\necho $!\n");
    {
        Project p(leaves);
        ASSERT_TRUE(p.driver.execute());
        ASSERT_TRUE(p.waitDone());
        const QStringList pids = p.console.text(Role::Normal).split('\n', Qt::SkipEmptyParts);
        EXPECT_EQ(p.console.text(Role::Info),
                  "Corvane: 2 processes started by the program are still running.\n" + kCompleted);
        ASSERT_EQ(pids.size(), 2);
        // Abort after the end still ends them; the run itself is not told as aborted.
        EXPECT_TRUE(p.driver.canAbort());
        p.driver.abort();
        EXPECT_FALSE(p.driver.canAbort());
        for (const QString &pid : pids)
            EXPECT_TRUE(waitFor([&] { return test::processEnded(pid.toLongLong()); }, 10000));
        EXPECT_TRUE(p.console.text(Role::Info).endsWith(
            "Corvane: 2 processes started by the program were ended.\n"));
        EXPECT_FALSE(p.console.text().contains("aborted"));
        // Nothing is left to end: a second Abort tells nothing.
        const QString before = p.console.text();
        p.driver.abort();
        EXPECT_EQ(p.console.text(), before);
    }

    const QString waits = scripts.filePath("waits");
    writeFile(waits, "#!/bin/sh\nsleep 60 &\necho $!\nwait\n");
    Project p(waits);
    ASSERT_TRUE(p.driver.execute());
    ASSERT_TRUE(waitFor([&] { return p.console.text(Role::Normal).endsWith('\n'); }));
    const qint64 child = p.console.text(Role::Normal).trimmed().toLongLong();
    ASSERT_GT(child, 0);
    p.driver.abort();
    EXPECT_TRUE(waitFor([&] { return test::processEnded(child); }, 10000));
    EXPECT_FALSE(p.console.text().contains("still running"));
}
