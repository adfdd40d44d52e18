// corvane makefile PROJECT [--debug|--release] [--classic]: prints the Makefile text the next
// build of the project would write (the project's own configuration unless one is chosen);
// --classic prints the Makefile whose objects depend on the objects of the modules they use,
// whatever the project's setting. Warnings about object files that several sources compile to
// go to standard error.
#include "build/makefilegenerator.h"
#include "commands.h"
#include "project/mydocument.h"

namespace corvane::app
{

namespace
{

constexpr CommandOption kOptions[] = {
    kDebugOption,
    kReleaseOption,
    {"--classic", nullptr, "objects depend on the objects of the modules they use"},
};

int makefileCommand(const QStringList &args)
{
    const auto parsed = parseProjectArguments(args, "makefile", {"--classic"});
    if (!parsed)
        return 2;
    auto opened = openProjectForCommand(*parsed, "makefile");
    if (!opened)
        return 1;
    MyDocument &document = *opened;

    MakefileSettings settings = MakefileGenerator::settingsOfDocument(document);
    if (parsed->flags.contains(QLatin1String("--classic")))
        settings.moduleAwareRebuilds = false;
    const MakefileGenerator generator(settings);
    const QStringList files = document.fileNames();
    const auto [dependencies, moduleFiles] = generator.scanProject(files);
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

CORVANE_COMMAND({.name = "makefile",
                 .purpose = "print the Makefile the next build writes",
                 .usage = "makefile PROJECT [--debug|--release] [--classic]",
                 .options = kOptions,
                 .run = makefileCommand});

} // namespace corvane::app
