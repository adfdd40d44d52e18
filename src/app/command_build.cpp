// corvane build PROJECT [--debug|--release] [--verbose] [-j]: builds as the Build command does,
// prints the console texts and then every diagnostic as "file:line:col: error: text". Exit
// status 0 when the product was made, 1 otherwise.
#include "commands.h"
#include "project/mydocument.h"
#include "projectbuild.h"

namespace corvane::app
{

namespace
{

constexpr char kUsage[] = "build PROJECT [--debug|--release] [--verbose] [-j]";

int buildCommand(const QStringList &args)
{
    const auto parsed = parseProjectArguments(args, "build", kUsage, {"--verbose", "-j"});
    if (!parsed)
        return 2;
    BuildOptions options;
    options.verbose = parsed->flags.contains(QLatin1String("--verbose"));
    if (parsed->flags.contains(QLatin1String("-j")))
        options.parallel = true;
    auto opened = openProjectForCommand(*parsed, "build");
    if (!opened)
        return 1;
    MyDocument &document = *opened;
    return buildProject(document, options) ? 0 : 1;
}

} // namespace

CORVANE_COMMAND("build", kUsage, buildCommand);

} // namespace corvane::app
