#include "commands.h"

#include "project/mydocument.h"
#include "project/projectlock.h"
#include "project/prompts.h"

#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace corvane::app
{

namespace
{
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
    QList<Command> commands(registry().begin(), registry().end());
    std::sort(commands.begin(), commands.end(),
              [](const Command &a, const Command &b) { return std::strcmp(a.name, b.name) < 0; });
    return commands;
}

QString usageText(const char *command)
{
    const Command *c = findCommand(QLatin1String(command));
    if (!c)
        return QString();
    QString text;
    const QStringList lines = QString::fromUtf8(c->usage).split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i)
        text += (i == 0 ? QLatin1String("usage: corvane ") : QLatin1String("       corvane ")) +
                lines[i] + u'\n';
    return text;
}

std::unique_ptr<MyDocument> openProjectForCommand(const QString &path, const char *command)
{
    RecordingPrompts prompts;
    auto opened = MyDocument::open(QFileInfo(path).absoluteFilePath(), prompts);
    for (const QString &said : prompts.alerts + prompts.errors)
        err() << "corvane " << command << ": " << said << "\n";
    if (!opened.ok()) {
        err() << "corvane " << command << ": " << opened.error() << "\n";
        err().flush();
        return nullptr;
    }
    return std::move(*opened);
}

std::unique_ptr<ProjectLock> lockProjectForCommand(const QString &path, const char *command)
{
    auto lock = std::make_unique<ProjectLock>(path);
    if (Result<void> locked = lock->lock(); !locked) {
        err() << "corvane " << command << ": " << locked.error() << "\n";
        err().flush();
        return nullptr;
    }
    return lock;
}

std::optional<ProjectArguments> parseProjectArguments(const QStringList &args, const char *command,
                                                      const QStringList &knownFlags)
{
    ProjectArguments parsed;
    for (const QString &arg : args) {
        if (arg == QLatin1String("--debug") || arg == QLatin1String("--release")) {
            parsed.debug = arg == QLatin1String("--debug");
        } else if (knownFlags.contains(arg)) {
            parsed.flags << arg;
        } else if (arg.startsWith(QLatin1Char('-')) || !parsed.projectPath.isEmpty()) {
            err() << "corvane " << command << ": unexpected argument \"" << arg << "\"\n"
                  << usageText(command);
            return std::nullopt;
        } else {
            parsed.projectPath = arg;
        }
    }
    if (parsed.projectPath.isEmpty()) {
        err() << usageText(command);
        return std::nullopt;
    }
    return parsed;
}

std::unique_ptr<MyDocument> openProjectForCommand(const ProjectArguments &args, const char *command)
{
    auto opened = openProjectForCommand(args.projectPath, command);
    if (opened && args.debug)
        opened->setIsDebugBuild(*args.debug);
    return opened;
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
