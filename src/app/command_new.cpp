// corvane new PROJECT.corvane [SOURCES...]: creates a project file with the given sources (files,
// or folders whose Fortran and include files are taken). The compiler is the "compilerPath"
// setting, else gfortran found on PATH. An existing file is never overwritten.
#include "commands.h"
#include "project/mydocument.h"
#include "project/projectlock.h"
#include "projectarguments.h"
#include "settings/defaults.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace corvane::app
{

namespace
{

int newCommand(const QStringList &args)
{
    if (args.isEmpty() || args.first().startsWith('-')) {
        err() << usageText("new");
        return 2;
    }
    const QString projectPath = QFileInfo(args.first()).absoluteFilePath();
    // Two `new` at once: the second one finds the first one's file once it has the lock.
    const auto lock = lockProjectForCommand(projectPath, "new");
    if (!lock)
        return 1;
    if (QFileInfo::exists(projectPath)) {
        err() << "corvane new: " << projectPath << " already exists\n";
        return 1;
    }
    MyDocument document;
    QString error;
    const auto sources =
        sourcePathsFromArguments(args.mid(1), document.allowableExtensions(), error);
    if (!sources) {
        err() << "corvane new: " << error << "\n";
        return 1;
    }
    document.setFileName(projectPath);
    if (Defaults::instance().stringValue("compilerPath").isEmpty()) {
        const QString gfortran = QStandardPaths::findExecutable("gfortran");
        if (gfortran.isEmpty())
            err() << "corvane new: no compiler set and gfortran is not on PATH; "
                     "set one in the project before building\n";
        else
            document.setProjectCompilerPath(gfortran);
    }
    document.addFileNames(*sources, false);
    if (Result<void> written = document.write(projectPath); !written) {
        err() << written.error() << "\n";
        return 1;
    }
    out() << "Created " << projectPath << " with " << document.projectFiles().size()
          << (document.projectFiles().size() == 1 ? " file" : " files") << "\n";
    return 0;
}

} // namespace

CORVANE_COMMAND({.name = "new",
                 .purpose = "create a project of the given source files and folders",
                 .usage = "new PROJECT.corvane [SOURCES...]",
                 .run = newCommand});

} // namespace corvane::app
