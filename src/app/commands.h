// The command-line subcommands. Each lives in its own command_*.cpp and registers itself with
// CORVANE_COMMAND, so that main() needs no edit when one is added.
#pragma once

#include <QStringList>
#include <QTextStream>

#include <memory>
#include <optional>

namespace corvane
{
class MyDocument;
class ProjectLock;
} // namespace corvane

namespace corvane::app
{

// A subcommand receives the arguments after its name and returns the process exit status.
using CommandFunction = int (*)(const QStringList &args);

struct Command {
    const char *name;
    const char *usage; // one line, shown by --help
    CommandFunction run;
};

// Registers a command at static-initialisation time; returns true so it can seed a static.
bool registerCommand(const Command &command);
const Command *findCommand(const QString &name);
QList<Command> registeredCommands();

// Opens a project for a command: what the opening told (missing sources, ...) goes to stderr,
// and a project that cannot be read is reported there too, as "corvane COMMAND: reason".
// nullptr when it cannot be read.
std::unique_ptr<MyDocument> openProjectForCommand(const QString &path, const char *command);

// Holds the project's lock for a command that reads, changes and writes it; another command on
// the same project waits. nullptr, told on stderr, when the lock cannot be had.
std::unique_ptr<ProjectLock> lockProjectForCommand(const QString &path, const char *command);

// The arguments of a command on one project: PROJECT, --debug or --release, and the flags the
// command knows besides.
struct ProjectArguments {
    QString projectPath;
    std::optional<bool> debug;
    QStringList flags; // those of knownFlags that were given
};
// Reads them; anything else, or a missing project, is told with the usage on stderr and gives
// nothing (the command exits with 2).
std::optional<ProjectArguments> parseProjectArguments(const QStringList &args, const char *command,
                                                      const char *usage,
                                                      const QStringList &knownFlags = {});
// Opens the project of the arguments in the configuration they chose.
std::unique_ptr<MyDocument> openProjectForCommand(const ProjectArguments &args,
                                                  const char *command);

// Standard streams for command output (UTF-8).
QTextStream &out();
QTextStream &err();

} // namespace corvane::app

#define CORVANE_COMMAND_CAT2(a, b) a##b
#define CORVANE_COMMAND_CAT(a, b) CORVANE_COMMAND_CAT2(a, b)
#define CORVANE_COMMAND(name, usage, fn)                                                           \
    static const bool CORVANE_COMMAND_CAT(s_registered_, __LINE__) =                               \
        ::corvane::app::registerCommand({name, usage, fn})
