// What the command line tells about itself, all from the table of registered commands: the
// overview of corvane --help, one command's usage and options, the command a mistyped one was
// probably meant to be, and what the shell completion offers at each argument.
#pragma once

#include "commands.h"

#include <QString>
#include <QStringList>

#include <span>

namespace corvane::app
{

// The options corvane takes before (or instead of) a command.
std::span<const CommandOption> globalOptions();

// "usage: corvane [PROJECT...] | ...", the line shown after a usage error of corvane itself.
QString programUsageLine();
// corvane --help: the usage, every command with its purpose, the global options.
QString overviewText();
// corvane help COMMAND: its purpose, its synopses and its options.
QString commandHelpText(const Command &command);

// The edit distance of a and b, letter case ignored: insertions, deletions, substitutions and
// swaps of neighbours each count one ("buidl" is one from "build").
int editDistance(QStringView a, QStringView b);
// Of names, the one closest to typed when it is close enough to be what was meant (at most two
// edits, and at most half of typed's length); none otherwise. The first of equally close ones.
QString closestName(const QString &typed, const QStringList &names);

// What one argument position of a command takes, read from the command's synopses.
struct ArgumentSlot {
    bool project = false; // a .corvane file
    bool fortran = false; // a Fortran source or include file
    bool anyFile = false;
    QStringList words; // fixed words ("jumplist", "scope", ...)
};
struct CommandArguments {
    QList<ArgumentSlot> positions; // by position after the command's name
    bool lastRepeats = false;      // "FILES...": the last slot takes any number
};
CommandArguments commandArguments(const Command &command);
// The option's value is a file name (FILE, PATH, PLIST, DIR), as opposed to a number or a text.
bool optionValueIsFile(const CommandOption &option);

// The bash completion script: a function that completes commands, options, project files,
// Fortran files and option values, registered for corvane.
QString bashCompletionScript(const QStringList &fortranExtensions);

} // namespace corvane::app
