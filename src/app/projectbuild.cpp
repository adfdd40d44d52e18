#include "projectbuild.h"

#include "build/builddriver.h"
#include "build/buildfiles.h"
#include "build/interactiveconsolecontroller.h"
#include "build/rundriver.h"
#include "build/terminalconsole.h"
#include "commands.h"
#include "project/fileoperations.h"
#include "project/mydocument.h"
#include "project/prompts.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QSocketNotifier>

#include <csignal>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane::app
{

namespace
{

// Ctrl-C while make runs: the signal handler only writes a byte; the event loop aborts the build
// (make runs in a process group of its own, which the terminal's signal does not reach).
int s_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(s_signalPipe[1], &byte, 1);
}

void reportPrompts(RecordingPrompts &prompts)
{
    for (const QString &s : prompts.alerts + prompts.errors)
        err() << "corvane: " << QString(s).replace(QLatin1Char('\n'), QLatin1String(": ")) << "\n";
    err().flush();
    prompts.alerts.clear();
    prompts.errors.clear();
}

} // namespace

bool buildProject(MyDocument &document, const BuildOptions &options)
{
    TerminalConsole console(stdout, stderr, TerminalConsole::isTerminal(stdout),
                            TerminalConsole::isTerminal(stderr));
    InteractiveConsoleController runner(&console);
    runner.consoleTail = 0;
    RecordingPrompts prompts;
    RunDriver run(&document, &runner, &prompts);
    FileOperations files(document, prompts);
    BuildDriver driver(&document, &run, &files, &prompts);
    driver.setVerboseOutput(options.verbose);
    driver.setParallelBuildOverride(options.parallel);

    bool finished = false;
    QEventLoop loop;
    QObject::connect(&driver, &BuildDriver::buildFinished, &loop, [&] {
        finished = true;
        loop.quit();
    });

    std::unique_ptr<QSocketNotifier> interrupt;
    struct sigaction previousInt = {}, previousTerm = {};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, s_signalPipe) == 0) {
        interrupt = std::make_unique<QSocketNotifier>(s_signalPipe[0], QSocketNotifier::Read);
        QObject::connect(interrupt.get(), &QSocketNotifier::activated, [&] {
            char byte;
            [[maybe_unused]] const ssize_t n = ::read(s_signalPipe[0], &byte, 1);
            driver.abort();
        });
        struct sigaction action = {};
        action.sa_handler = onSignal;
        ::sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, &previousInt);
        ::sigaction(SIGTERM, &action, &previousTerm);
    }

    const bool started = driver.build();
    reportPrompts(prompts);
    if (started && !finished)
        loop.exec();
    reportPrompts(prompts);

    if (interrupt) {
        ::sigaction(SIGINT, &previousInt, nullptr);
        ::sigaction(SIGTERM, &previousTerm, nullptr);
        interrupt.reset();
        ::close(s_signalPipe[0]);
        ::close(s_signalPipe[1]);
        s_signalPipe[0] = s_signalPipe[1] = -1;
    }

    if (options.printDiagnostics && driver.errorsDictionary()) {
        for (const QString &line : buildfiles::diagnosticLines(*driver.errorsDictionary()))
            out() << line << "\n";
        out().flush();
    }
    return driver.productWasMade();
}

bool productIsStale(const MyDocument &document)
{
    if (document.fileNames().isEmpty())
        return false;
    const QFileInfo product(QDir(document.docDirectoryPath()).filePath(document.executableName()));
    if (!product.exists())
        return true;
    const QDateTime built = product.lastModified();
    for (const QString &file : document.fileNames())
        if (QFileInfo(file).lastModified() > built)
            return true;
    return false;
}

} // namespace corvane::app
