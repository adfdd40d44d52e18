#include "projectbuild.h"

#include "build/builddriver.h"
#include "build/buildfiles.h"
#include "build/interactiveconsolecontroller.h"
#include "build/rundriver.h"
#include "build/terminalconsole.h"
#include "commands.h"
#include "interrupthandler.h"
#include "project/fileoperations.h"
#include "project/mydocument.h"
#include "project/prompts.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>

namespace corvane::app
{

namespace
{

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
    driver.setParallelJobsOverride(options.jobs);

    bool finished = false;
    QEventLoop loop;
    QObject::connect(&driver, &BuildDriver::buildFinished, &loop, [&] {
        finished = true;
        loop.quit();
    });

    // Ctrl-C while make runs aborts the build (make runs in a process group of its own).
    auto interrupt = std::make_unique<InterruptHandler>([&] { driver.abort(); });

    const bool started = driver.build();
    reportPrompts(prompts);
    if (started && !finished)
        loop.exec();
    reportPrompts(prompts);

    interrupt.reset();

    if (options.printDiagnostics && driver.errorsDictionary()) {
        for (const QString &line : buildfiles::diagnosticLines(*driver.errorsDictionary()))
            out() << line << "\n";
        out().flush();
    }
    return driver.productWasMade();
}

} // namespace corvane::app
