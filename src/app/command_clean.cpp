// corvane clean PROJECT [--debug|--release]: removes the objects, module files and executable of
// the project's configuration, as the Clean command does.
#include "build/builddriver.h"
#include "build/interactiveconsolecontroller.h"
#include "build/rundriver.h"
#include "build/terminalconsole.h"
#include "commands.h"
#include "project/fileoperations.h"
#include "project/mydocument.h"
#include "project/prompts.h"

#include <QFileInfo>

namespace corvane::app
{

namespace
{

constexpr char kUsage[] = "clean PROJECT [--debug|--release]";

int cleanCommand(const QStringList &args)
{
    QString projectPath;
    std::optional<bool> debug;
    for (const QString &arg : args) {
        if (arg == QLatin1String("--debug") || arg == QLatin1String("--release")) {
            debug = arg == QLatin1String("--debug");
        } else if (arg.startsWith(QLatin1Char('-')) || !projectPath.isEmpty()) {
            err() << "corvane clean: unexpected argument \"" << arg << "\"\nusage: corvane "
                  << kUsage << "\n";
            return 2;
        } else {
            projectPath = arg;
        }
    }
    if (projectPath.isEmpty()) {
        err() << "usage: corvane " << kUsage << "\n";
        return 2;
    }
    RecordingPrompts prompts;
    auto opened = openProjectForCommand(projectPath, "clean");
    if (!opened)
        return 1;
    MyDocument &document = *opened;
    if (debug)
        document.setIsDebugBuild(*debug);

    TerminalConsole console(stdout, stderr, false, false);
    InteractiveConsoleController runner(&console);
    RunDriver run(&document, &runner, &prompts);
    FileOperations files(document, prompts);
    BuildDriver driver(&document, &run, &files, &prompts);
    const bool cleaned = driver.clean();
    for (const QString &said : prompts.errors)
        err() << "corvane clean: " << said << "\n";
    return cleaned ? 0 : 1;
}

} // namespace

CORVANE_COMMAND("clean", kUsage, cleanCommand);

} // namespace corvane::app
