// corvane build PROJECT [--debug|--release] [--verbose] [-j]: builds as the Build command does,
// prints the console texts and then every diagnostic as "file:line:col: error: text". Exit
// status 0 when the product was made, 1 otherwise.
#include "commands.h"
#include "project/mydocument.h"
#include "project/prompts.h"
#include "projectbuild.h"

#include <QFileInfo>

namespace corvane::app
{

namespace
{

constexpr char kUsage[] = "build PROJECT [--debug|--release] [--verbose] [-j]";

int buildCommand(const QStringList &args)
{
    QString projectPath;
    std::optional<bool> debug;
    BuildOptions options;
    for (const QString &arg : args) {
        if (arg == QLatin1String("--debug") || arg == QLatin1String("--release")) {
            debug = arg == QLatin1String("--debug");
        } else if (arg == QLatin1String("--verbose")) {
            options.verbose = true;
        } else if (arg == QLatin1String("-j")) {
            options.parallel = true;
        } else if (arg.startsWith(QLatin1Char('-')) || !projectPath.isEmpty()) {
            err() << "corvane build: unexpected argument \"" << arg << "\"\nusage: corvane "
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
    auto opened = openProjectForCommand(projectPath, "build");
    if (!opened)
        return 1;
    MyDocument &document = *opened;
    if (debug)
        document.setIsDebugBuild(*debug);
    return buildProject(document, options) ? 0 : 1;
}

} // namespace

CORVANE_COMMAND("build", kUsage, buildCommand);

} // namespace corvane::app
