// corvane: with no subcommand (or only project paths) it opens the IDE; otherwise it runs one
// subcommand without a window and exits with its status.
#include "commands.h"
#include "gui.h"

#include <QCoreApplication>
#include <QSettings>

using namespace corvane::app;

namespace {

// Subcommands whose implementation has not arrived yet answer with exit status 2.
const char *const kPlannedCommands[] = {"new", "add", "show", "build", "clean", "run", "makefile",
                                        "import-makefile", "diagnostics", "index", "lookup"};

void printHelp()
{
    out() << "Usage: corvane [PROJECT...]            open the IDE\n"
             "       corvane COMMAND [ARGUMENTS...]  work on a project without a window\n"
             "       corvane --version | --help\n\nCommands:\n";
    for (const Command &c : registeredCommands())
        out() << "  " << c.usage << "\n";
    for (const char *name : kPlannedCommands)
        if (!findCommand(QString::fromLatin1(name)))
            out() << "  " << name << " (not available yet)\n";
    out().flush();
}

bool isPlanned(const QString &name)
{
    for (const char *n : kPlannedCommands)
        if (name == QLatin1String(n))
            return true;
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication::setOrganizationName("Corvane");
    QCoreApplication::setApplicationName("Corvane");
    QCoreApplication::setApplicationVersion(CORVANE_VERSION);

    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);

    if (!args.isEmpty()) {
        const QString first = args.first();
        if (first == "--version" || first == "-v") {
            out() << "corvane " << CORVANE_VERSION << "\n";
            return 0;
        }
        if (first == "--help" || first == "-h") {
            printHelp();
            return 0;
        }
        if (const Command *c = findCommand(first)) {
            QCoreApplication app(argc, argv);
            const int status = c->run(args.mid(1));
            out().flush();
            err().flush();
            return status;
        }
        if (isPlanned(first)) {
            err() << "corvane: '" << first << "' is not available yet\n";
            return 2;
        }
        if (first.startsWith('-') && first != "--edit") {
            err() << "corvane: unknown option '" << first << "' (see corvane --help)\n";
            return 2;
        }
    }
    return runGui(argc, argv, args);
}
