// corvane help [COMMAND]: the overview of all commands, or one command's usage and options.
#include "commandhelp.h"
#include "commands.h"

namespace corvane::app
{

namespace
{

int helpCommand(const QStringList &args)
{
    if (args.isEmpty()) {
        out() << overviewText();
        return 0;
    }
    if (args.size() > 1) {
        err() << "corvane help: one command at a time\n" << usageText("help");
        return 2;
    }
    if (const Command *c = findCommand(args.first())) {
        out() << commandHelpText(*c);
        return 0;
    }
    QStringList names;
    for (const Command &c : registeredCommands())
        names << QString::fromUtf8(c.name);
    err() << "corvane help: unknown command '" << args.first() << "'.";
    if (const QString meant = closestName(args.first(), names); !meant.isEmpty())
        err() << " Did you mean '" << meant << "'?";
    err() << "\n" << usageText("help");
    return 2;
}

CORVANE_COMMAND({.name = "help",
                 .purpose = "print the commands, or one command's usage and options",
                 .usage = "help [COMMAND]",
                 .run = helpCommand});

} // namespace

} // namespace corvane::app
