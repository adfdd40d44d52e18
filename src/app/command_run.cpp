// corvane run PROJECT [--input FILE] [--args TEXT] [-np N] [--release|--debug] [--notify]: runs
// the built program as the Run command does, in the terminal. Output and errors stream as they
// come, typed input is passed on when no input file is set, and the exit status is the program's.
// A program that is missing or older than its sources is built first. With --notify the end of
// the run is told as the project's notification settings say (desktop notification, e-mail).
#include "build/builddriver.h"
#include "build/interactiveconsolecontroller.h"
#include "build/notifier.h"
#include "build/rundriver.h"
#include "build/terminalconsole.h"
#include "commands.h"
#include "interrupthandler.h"
#include "progress.h"
#include "project/mydocument.h"
#include "project/prompts.h"
#include "projectbuild.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>

#include <unistd.h>

using namespace corvane;

namespace
{

constexpr app::CommandOption kOptions[] = {
    {"--input", "FILE", "the program reads this file as its standard input"},
    {"--args", "TEXT", "the program's command-line arguments"},
    {"-np", "N", "the number of processes of an MPI or coarray program"},
    app::kReleaseOption,
    app::kDebugOption,
    {"--notify", nullptr, "tell the end of the run as the project's notification settings say"},
    app::kQuietOption,
};
constexpr char kElapsed[] = "Corvane: Elapsed time %1 s\n";
constexpr int kCrashReportWaitMs = 1500;

struct RunOptions {
    QString project;
    std::optional<QString> input;
    std::optional<QString> arguments;
    std::optional<qint64> processes;
    std::optional<bool> debug;
    bool notify = false;
};

std::optional<RunOptions> parse(const QStringList &args, QString *error)
{
    RunOptions o;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        const bool hasValue = i + 1 < args.size();
        if ((a == "--input" || a == "--args" || a == "-np") && !hasValue) {
            *error = QStringLiteral("%1 needs a value").arg(a);
            return std::nullopt;
        }
        if (a == "--input") {
            o.input = QFileInfo(args[++i]).absoluteFilePath();
        } else if (a == "--args") {
            o.arguments = args[++i];
        } else if (a == "-np") {
            bool ok = false;
            const qint64 n = args[++i].toLongLong(&ok);
            if (!ok || n < 1 || n > MyDocument::kMaxProcessors) {
                *error = QStringLiteral("-np needs a number from 1 to %1, not '%2'")
                             .arg(QString::number(MyDocument::kMaxProcessors), args[i]);
                return std::nullopt;
            }
            o.processes = n;
        } else if (a == "--release" || a == "--debug") {
            o.debug = a == "--debug";
        } else if (a == "--notify") {
            o.notify = true;
        } else if (a == "--quiet") {
            app::Progress::setQuiet(true);
        } else if (a.startsWith('-') || !o.project.isEmpty()) {
            *error = QStringLiteral("unexpected argument '%1'").arg(a);
            return std::nullopt;
        } else {
            o.project = a;
        }
    }
    if (o.project.isEmpty()) {
        *error = QStringLiteral("no project given");
        return std::nullopt;
    }
    return o;
}

// Tells what the logic would have shown in sheets, once.
void reportPrompts(RecordingPrompts &prompts)
{
    for (const QString &s : prompts.alerts + prompts.errors)
        app::err() << "corvane: " << s << "\n";
    app::err().flush();
    prompts.alerts.clear();
    prompts.errors.clear();
}

// Tells the end of the run as the project says, without the launcher badge (there is no window),
// and waits until the notification and the e-mail are handed over; what went wrong goes to
// stderr.
void notifyCompletion(const MyDocument &doc, const RunDriver &driver, RecordingPrompts &prompts)
{
    NotificationSettings settings = NotificationSettings::fromDocument(doc);
    settings.notifyByDock = false;
    Notifier notifier(&prompts);
    notifier.notifyUserOfCompletion(
        nullptr, settings,
        runCompletionFacts(driver, doc, QFileInfo(doc.fileName()).completeBaseName()));
    notifier.waitForPendingWork();
    reportPrompts(prompts);
}

int runCommand(const QStringList &args)
{
    QString error;
    const auto options = parse(args, &error);
    if (!options) {
        app::err() << "corvane run: " << error << "\n" << app::usageText("run");
        return 2;
    }
    RecordingPrompts prompts;
    auto opened = MyDocument::open(QFileInfo(options->project).absoluteFilePath(), prompts);
    if (!opened) {
        reportPrompts(prompts);
        app::err() << "corvane run: " << opened.error() << "\n";
        return 1;
    }
    MyDocument &doc = **opened;
    if (options->debug)
        doc.setIsDebugBuild(*options->debug);
    if (options->input) {
        doc.setInputOption(0);
        doc.setInputFileName(*options->input);
    }
    if (options->arguments)
        doc.setCommandLineArguments(*options->arguments);
    if (options->processes)
        doc.setNumberOfProcessors(*options->processes);

    if (const auto reason = BuildDriver::buildBeforeRunReason(doc)) {
        app::out() << *reason;
        app::out().flush();
        if (!app::buildProject(doc, {})) {
            app::err() << "corvane run: the build made no program to run\n";
            return 1;
        }
    }

    TerminalConsole console(stdout, stderr, TerminalConsole::isTerminal(stdout),
                            TerminalConsole::isTerminal(stderr));
    InteractiveConsoleController runner(&console);
    runner.consoleTail = 0; // the terminal keeps everything
    RunDriver driver(&doc, &runner, &prompts);

    bool done = false;
    QEventLoop loop;
    QObject::connect(&runner, &InteractiveConsoleController::consoleTaskCompleted, &loop, [&] {
        done = true;
        loop.quit();
    });
    // The program runs in a process group of its own: Ctrl-C ends it (and what it started) as
    // Abort does.
    bool interrupted = false;
    app::InterruptHandler interrupt([&] {
        interrupted = true;
        driver.abort();
    });
    const bool started = driver.execute();
    reportPrompts(prompts);
    if (!started)
        return 1;

    // Typed input: this process's standard input goes to the program; its end ends the program's.
    std::unique_ptr<QSocketNotifier> stdinNotifier;
    if (doc.inputOption() == 0) {
        runner.closeInput();
    } else {
        stdinNotifier = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
        QObject::connect(stdinNotifier.get(), &QSocketNotifier::activated, [&] {
            char buffer[65536];
            const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n > 0) {
                runner.sendDataToExecutable(QByteArray(buffer, n));
            } else {
                stdinNotifier->setEnabled(false);
                runner.closeInput();
            }
        });
    }
    if (!done)
        loop.exec();
    stdinNotifier.reset();

    console.append(QString::fromUtf8(kElapsed).arg(
                       driver.elapsedCPUTime() / driver.timeUnitsScale(), 0, 'f', 2),
                   Console::Role::Info);
    if (interrupted)
        return 128 + SIGINT; // the user is at the terminal: nothing to tell
    if (runner.lastTerminatingSignal()) {
        // A crash report is looked for one second after the end.
        QTimer::singleShot(kCrashReportWaitMs, &loop, &QEventLoop::quit);
        loop.exec();
        reportPrompts(prompts);
    }
    if (options->notify)
        notifyCompletion(doc, driver, prompts);
    if (runner.lastTerminatingSignal())
        return 128 + *runner.lastTerminatingSignal();
    return runner.lastExitCode();
}

} // namespace

CORVANE_COMMAND({.name = "run",
                 .purpose = "run the built program in the terminal, building it first if stale",
                 .usage = "run PROJECT [--input FILE] [--args TEXT] [-np N] [--release|--debug] "
                          "[--notify] [--quiet]",
                 .options = kOptions,
                 .run = runCommand});
