// corvane import-makefile PROJECT MAKEFILE: adds the Fortran files that make's dry run of the
// Makefile names, as the window's Import Makefile command does, and saves the project.
#include "build/makefileimporter.h"
#include "commands.h"
#include "project/mydocument.h"
#include "project/projectlock.h"
#include "project/prompts.h"

namespace corvane::app
{

namespace
{

int importMakefileCommand(const QStringList &args)
{
    if (args.size() != 2 || args[0].startsWith('-') || args[1].startsWith('-')) {
        err() << usageText("import-makefile");
        return 2;
    }
    const auto lock = lockProjectForCommand(args[0], "import-makefile");
    if (!lock)
        return 1;
    auto opened = openProjectForCommand(args[0], "import-makefile");
    if (!opened)
        return 1;
    MyDocument &document = *opened;

    RecordingPrompts importPrompts;
    const auto files = MakefileImporter(args[1]).files(importPrompts);
    if (!files) {
        for (const QString &said : importPrompts.alerts)
            err() << said << "\n";
        return 1;
    }
    const QStringList known = document.fileNames();
    QStringList added, skipped;
    for (const QString &f : *files) {
        if (known.contains(f) || added.contains(f))
            skipped << f;
        else
            added << f;
    }
    document.addFileNames(added, false);
    for (const QString &f : added)
        out() << "added " << f << "\n";
    for (const QString &f : skipped)
        out() << "skipped " << f << " (already in the project)\n";
    if (added.isEmpty()) {
        out() << "nothing to add\n";
        return 0;
    }
    const Result<void> written = document.write(document.fileName());
    if (!written.ok()) {
        err() << written.error() << "\n";
        return 1;
    }
    return 0;
}

} // namespace

CORVANE_COMMAND({.name = "import-makefile",
                 .purpose = "add the Fortran sources a Makefile's dry run names to a project",
                 .usage = "import-makefile PROJECT MAKEFILE",
                 .run = importMakefileCommand});

} // namespace corvane::app
