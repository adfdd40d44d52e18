// corvane build PROJECT [--debug|--release] [--verbose] [-j[N]] [--quiet]: builds as the Build
// command does, prints the console texts and then every diagnostic as "file:line:col: error:
// text". -j builds in parallel with the "parallelJobs" count, -jN with N jobs. Exit status 0 when
// the product was made (or was up to date), 1 otherwise.
#include "commands.h"
#include "progress.h"
#include "project/mydocument.h"
#include "projectbuild.h"

namespace corvane::app
{

namespace
{

constexpr CommandOption kOptions[] = {
    kDebugOption,
    kReleaseOption,
    {"--verbose", nullptr, "also print the dependency scan and the Makefile"},
    {"-j", nullptr, "run make's jobs in parallel: -jN with N jobs, -j with the parallelJobs count"},
    kQuietOption,
};

int buildCommand(const QStringList &givenArgs)
{
    // "-jN" takes a job count; every other argument goes to the common parser.
    QStringList args;
    std::optional<int> jobs;
    for (const QString &arg : givenArgs) {
        if (!arg.startsWith(QLatin1String("-j")) || arg.size() == 2) {
            args << arg;
            continue;
        }
        bool number = false;
        const int count = arg.mid(2).toInt(&number);
        if (!number || count < 1) {
            err() << "corvane build: the job count in \"" << arg
                  << "\" is not a whole number of at least 1\n"
                  << usageText("build");
            return 2;
        }
        jobs = count;
    }
    const auto parsed = parseProjectArguments(args, "build", {"--verbose", "-j", "--quiet"});
    if (!parsed)
        return 2;
    BuildOptions options;
    options.verbose = parsed->flags.contains(QLatin1String("--verbose"));
    if (parsed->flags.contains(QLatin1String("--quiet")))
        Progress::setQuiet(true);
    if (parsed->flags.contains(QLatin1String("-j")) || jobs)
        options.parallel = true;
    options.jobs = jobs;
    auto opened = openProjectForCommand(*parsed, "build");
    if (!opened)
        return 1;
    MyDocument &document = *opened;
    return buildProject(document, options) ? 0 : 1;
}

} // namespace

CORVANE_COMMAND({.name = "build",
                 .purpose = "build the project's program or library",
                 .usage = "build PROJECT [--debug|--release] [--verbose] [-j[N]] [--quiet]",
                 .options = kOptions,
                 .run = buildCommand});

} // namespace corvane::app
