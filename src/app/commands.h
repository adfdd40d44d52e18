// The command-line subcommands. Each lives in its own command_*.cpp and registers itself with
// CORVANE_COMMAND, so that main() needs no edit when one is added.
#pragma once

#include <QStringList>
#include <QTextStream>

#include <memory>
#include <optional>
#include <span>

namespace corvane
{
class MyDocument;
class ProjectLock;
} // namespace corvane

namespace corvane::app
{

// A subcommand receives the arguments after its name and returns the process exit status.
using CommandFunction = int (*)(const QStringList &args);

// One option of a command: "--input", its value's placeholder ("FILE", nullptr for a flag) and
// what it does, in one line.
struct CommandOption {
    const char *flag;
    const char *value;
    const char *help;
};

// A command as help, the typo suggestion and the shell completion know it. usage holds one
// synopsis per line without the leading "corvane "; its upper-case words name the arguments
// (PROJECT: a project file, FILE, FILES... and SOURCES...: Fortran sources, MAKEFILE, LOG and
// PLIST: any file) and a word list such as "jumplist|scope" the words allowed there.
struct Command {
    const char *name;
    const char *purpose; // one line, shown by corvane --help
    const char *usage;
    std::span<const CommandOption> options;
    CommandFunction run;
};

// Options several commands share.
inline constexpr CommandOption kDebugOption{"--debug", nullptr,
                                            "use the Testing (debug) configuration"};
inline constexpr CommandOption kReleaseOption{"--release", nullptr,
                                              "use the Running (release) configuration"};
inline constexpr CommandOption kQuietOption{"--quiet", nullptr, "show no progress on a terminal"};
inline constexpr CommandOption kFixedOption{"--fixed", nullptr, "read the source as fixed form"};
inline constexpr CommandOption kFreeOption{"--free", nullptr, "read the source as free form"};
inline constexpr CommandOption kSelectOption{
    "--select", "N", "the selection's length in characters from LINE:COL (0, a caret, by default)"};

// Registers a command at static-initialisation time; returns true so it can seed a static.
bool registerCommand(const Command &command);
const Command *findCommand(const QString &name);
// Sorted by name.
QList<Command> registeredCommands();

// "usage: corvane SYNOPSIS\n" with one line per synopsis of the command, for its usage errors.
QString usageText(const char *command);

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
// Reads them; anything else, or a missing project, is told with the command's usage on stderr
// and gives nothing (the command exits with 2).
std::optional<ProjectArguments> parseProjectArguments(const QStringList &args, const char *command,
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
// CORVANE_COMMAND({.name = "build", .purpose = ..., .usage = ..., .options = kOptions, .run = fn})
#define CORVANE_COMMAND(...)                                                                       \
    static const bool CORVANE_COMMAND_CAT(s_registered_, __LINE__) =                               \
        ::corvane::app::registerCommand(::corvane::app::Command __VA_ARGS__)
