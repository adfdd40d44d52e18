// corvane: with no command (or only project paths) it opens the IDE; otherwise it runs one
// command without a window and exits with its status. Everything it knows about its commands
// (help, the suggestion for a mistyped one, the shell completion) comes from the command table.
#include "commandhelp.h"
#include "commands.h"
#include "gui.h"
#include "progress.h"

#include <QCoreApplication>
#include <QFileInfo>

using namespace corvane::app;

namespace
{

QStringList commandNames()
{
    QStringList names;
    for (const Command &c : registeredCommands())
        names << QString::fromUtf8(c.name);
    return names;
}

// "--help" or "-h" among a command's arguments, not as the value of one of its options nor
// after "--".
bool asksForHelp(const Command &command, const QStringList &args)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--"))
            return false;
        if (args[i] == QLatin1String("--help") || args[i] == QLatin1String("-h"))
            return true;
        for (const CommandOption &o : command.options) {
            if (o.value && args[i] == QLatin1String(o.flag)) {
                ++i; // its value
                break;
            }
        }
    }
    return false;
}

int usageError(const QString &message, const QString &meant)
{
    err() << "corvane: " << message;
    if (!meant.isEmpty())
        err() << ". Did you mean '" << meant << "'?";
    err() << "\n" << programUsageLine();
    err().flush();
    return 2;
}

int runCommand(const Command &command, int argc, char **argv, const QStringList &args)
{
    if (asksForHelp(command, args)) {
        out() << commandHelpText(command);
        out().flush();
        return 0;
    }
    QCoreApplication app(argc, argv);
    const int status = command.run(args);
    out().flush();
    err().flush();
    return status;
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

    // corvane's own options, before the command.
    while (!args.isEmpty() && args.first().startsWith(u'-') &&
           args.first() != QLatin1String("--edit")) {
        const QString option = args.takeFirst();
        if (option == QLatin1String("--version") || option == QLatin1String("-v")) {
            out() << "corvane " << CORVANE_VERSION << "\n";
            return 0;
        }
        if (option == QLatin1String("--help") || option == QLatin1String("-h"))
            return runCommand(*findCommand(QStringLiteral("help")), argc, argv, args.mid(0, 1));
        if (option == QLatin1String("--quiet") || option == QLatin1String("-q")) {
            Progress::setQuiet(true);
            continue;
        }
        QStringList flags;
        for (const CommandOption &o : globalOptions())
            flags << QString::fromUtf8(o.flag);
        return usageError(QStringLiteral("unknown option '%1'").arg(option),
                          closestName(option, flags));
    }
    if (args.isEmpty())
        return runGui(argc, argv, args);

    const QString first = args.first();
    if (const Command *c = findCommand(first))
        return runCommand(*c, argc, argv, args.mid(1));
    if (first == QLatin1String("--edit"))
        return runGui(argc, argv, args);

    // Only existing project files open in the window; anything else is a mistyped command or a
    // wrong path, told here rather than in an alert.
    if (!QFileInfo::exists(first) && !first.contains(u'/') &&
        !first.endsWith(QLatin1String(".corvane"))) {
        return usageError(QStringLiteral("unknown command '%1'").arg(first),
                          closestName(first, commandNames()));
    }
    for (const QString &path : args) {
        if (!QFileInfo::exists(path)) {
            err() << "corvane: no such project file: " << path << "\n";
            err().flush();
            return 1;
        }
    }
    return runGui(argc, argv, args);
}
