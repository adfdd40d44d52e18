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

namespace corvane::app
{

namespace
{

constexpr CommandOption kOptions[] = {kDebugOption, kReleaseOption};

int cleanCommand(const QStringList &args)
{
    const auto parsed = parseProjectArguments(args, "clean");
    if (!parsed)
        return 2;
    RecordingPrompts prompts;
    auto opened = openProjectForCommand(*parsed, "clean");
    if (!opened)
        return 1;
    MyDocument &document = *opened;

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

CORVANE_COMMAND({.name = "clean",
                 .purpose = "remove the objects, module files and product of a build",
                 .usage = "clean PROJECT [--debug|--release]",
                 .options = kOptions,
                 .run = cleanCommand});

} // namespace corvane::app
