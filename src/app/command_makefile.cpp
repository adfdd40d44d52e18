// corvane makefile PROJECT [--debug|--release]: prints the Makefile text the next build of the
// project would write (the project's own configuration unless one is chosen). Warnings about
// object files that several sources compile to go to standard error.
#include "build/makefilegenerator.h"
#include "commands.h"
#include "project/mydocument.h"
#include "project/prompts.h"

namespace corvane::app
{

namespace
{

int makefileCommand(const QStringList &args)
{
    QString projectPath;
    std::optional<bool> debug;
    for (const QString &arg : args) {
        if (arg == QLatin1String("--debug")) {
            debug = true;
        } else if (arg == QLatin1String("--release")) {
            debug = false;
        } else if (arg.startsWith(QLatin1Char('-')) || !projectPath.isEmpty()) {
            err() << "corvane makefile: unexpected argument \"" << arg << "\"\n";
            return 2;
        } else {
            projectPath = arg;
        }
    }
    if (projectPath.isEmpty()) {
        err() << "usage: corvane makefile PROJECT [--debug|--release]\n";
        return 2;
    }

    auto opened = openProjectForCommand(projectPath, "makefile");
    if (!opened)
        return 1;
    MyDocument &document = *opened;
    if (debug)
        document.setIsDebugBuild(*debug);

    const MakefileGenerator generator = MakefileGenerator::initWithDocument(document);
    const QStringList files = document.fileNames();
    const DependenciesMap dependencies = generator.dependenciesForFiles(files);
    const ModuleFilesMap moduleFiles = generator.filesForModuleNames(files);
    const Result<QString> text = generator.makefileForFiles(files, dependencies, moduleFiles,
                                                            document.projectCompilerPath());
    if (!text.ok()) {
        err() << text.error() << "\n";
        return 1;
    }
    for (const QString &warning : generator.objectNameCollisions(files))
        err() << warning;
    err().flush();
    out() << *text;
    out().flush();
    return 0;
}

} // namespace

CORVANE_COMMAND("makefile", "makefile PROJECT [--debug|--release]", makefileCommand);

} // namespace corvane::app
