// corvane add PROJECT FILES...: adds sources to a project, files as named and folders as the
// open panel collects them; files already in it are skipped. Nothing is written when an argument
// names nothing.
#include "commands.h"
#include "project/fileoperations.h"
#include "project/mydocument.h"
#include "project/projectlock.h"

#include <QFileInfo>

namespace corvane::app
{

namespace
{

int addCommand(const QStringList &args)
{
    if (args.size() < 2 || args.first().startsWith('-')) {
        err() << usageText("add");
        return 2;
    }
    // Held from reading to writing: a second command on the project waits for this one.
    const auto lock = lockProjectForCommand(args.first(), "add");
    if (!lock)
        return 1;
    auto opened = openProjectForCommand(args.first(), "add");
    if (!opened)
        return 1;
    MyDocument &document = *opened;

    // Folders are collected as the open panel collects them; files are taken as named.
    QStringList candidates;
    for (const QString &arg : args.mid(1)) {
        const QFileInfo info(arg);
        if (!info.exists()) {
            err() << "corvane add: no such file or folder: " << arg << "\n";
            return 1;
        }
        if (info.isDir())
            candidates += FileOperations::filesForOpenPanelChoice({info.absoluteFilePath()});
        else
            candidates << info.absoluteFilePath();
    }
    QStringList toAdd, skipped;
    const QStringList known = document.fileNames();
    for (const QString &path : candidates)
        (known.contains(path) || toAdd.contains(path) ? skipped : toAdd) << path;

    const int added = document.addFileNames(toAdd, false);
    if (added > 0 || document.isDocumentEdited()) {
        if (Result<void> written = document.write(document.fileName()); !written) {
            err() << "corvane add: " << written.error() << "\n";
            return 1;
        }
    }
    for (const QString &path : toAdd)
        out() << "added " << path << "\n";
    for (const QString &path : skipped)
        out() << "skipped " << path << " (already in the project)\n";
    out() << "Added " << added << (added == 1 ? " file" : " files") << " to " << document.fileName()
          << "\n";
    return 0;
}

} // namespace

CORVANE_COMMAND({.name = "add",
                 .purpose = "add source files or folders to a project",
                 .usage = "add PROJECT FILES...",
                 .run = addCommand});

} // namespace corvane::app
