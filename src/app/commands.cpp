#include "commands.h"

#include <cstdio>
#include <vector>

namespace corvane::app {

namespace {
std::vector<Command> &registry()
{
    static std::vector<Command> commands;
    return commands;
}
} // namespace

bool registerCommand(const Command &command)
{
    registry().push_back(command);
    return true;
}

const Command *findCommand(const QString &name)
{
    for (const Command &c : registry())
        if (name == QLatin1String(c.name))
            return &c;
    return nullptr;
}

QList<Command> registeredCommands()
{
    return QList<Command>(registry().begin(), registry().end());
}

QTextStream &out()
{
    static QTextStream s(stdout);
    return s;
}

QTextStream &err()
{
    static QTextStream s(stderr);
    return s;
}

} // namespace corvane::app
