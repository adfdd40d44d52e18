// corvane add PROJECT FILES...: adds sources (files, or folders whose Fortran and include files
// are taken) to a project; files already in it are skipped. Nothing is written when an argument
// names nothing.
#include "commands.h"
#include "project/mydocument.h"
#include "project/prompts.h"
#include "projectarguments.h"

namespace corvane::app
{

namespace
{

int addCommand(const QStringList &args)
{
    if (args.size() < 2 || args.first().startsWith('-')) {
        err() << "usage: corvane add PROJECT FILES...\n";
        return 2;
    }
    auto opened = openProjectForCommand(args.first(), "add");
    if (!opened)
        return 1;
    MyDocument &document = *opened;
    QString error;
    const auto sources =
        sourcePathsFromArguments(args.mid(1), document.allowableExtensions(), error);
    if (!sources) {
        err() << "corvane add: " << error << "\n";
        return 1;
    }
    const int added = document.addFileNames(*sources, false);
    if (added > 0 || document.isDocumentEdited()) {
        if (Result<void> written = document.write(document.fileName()); !written) {
            err() << written.error() << "\n";
            return 1;
        }
    }
    out() << "Added " << added << (added == 1 ? " file" : " files") << " to " << document.fileName()
          << "\n";
    return 0;
}

} // namespace

CORVANE_COMMAND("add", "add PROJECT FILES...                add sources to a project", addCommand);

} // namespace corvane::app
