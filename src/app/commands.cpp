#include "commands.h"

#include "project/mydocument.h"
#include "project/projectlock.h"
#include "project/prompts.h"

#include <QFileInfo>

#include <cstdio>
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
    return QList<Command>(registry().begin(), registry().end());
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
                                                      const char *usage,
                                                      const QStringList &knownFlags)
{
    ProjectArguments parsed;
    for (const QString &arg : args) {
        if (arg == QLatin1String("--debug") || arg == QLatin1String("--release")) {
            parsed.debug = arg == QLatin1String("--debug");
        } else if (knownFlags.contains(arg)) {
            parsed.flags << arg;
        } else if (arg.startsWith(QLatin1Char('-')) || !parsed.projectPath.isEmpty()) {
            err() << "corvane " << command << ": unexpected argument \"" << arg
                  << "\"\nusage: corvane " << usage << "\n";
            return std::nullopt;
        } else {
            parsed.projectPath = arg;
        }
    }
    if (parsed.projectPath.isEmpty()) {
        err() << "usage: corvane " << usage << "\n";
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
