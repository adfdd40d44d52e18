// Quoting of file names written into a generated Makefile. A name appears in three places, each
// with its own rules: as a make target or prerequisite (make splits at blanks, treats # as a
// comment, | as the order-only separator, $ as a variable, = as a target-specific assignment and
// *, ?, [ as wildcards), in a recipe line (make expands $, then /bin/sh acts on blanks, quotes,
// parentheses, &, |, ;, <, >, globs, ~ and #), and as an object file name (which the recipes pass
// to the shell through $@ and $(OBJS), so it is kept free of such characters altogether).
// A name without special characters comes out unchanged except for blanks, which become "\ ".
#pragma once

#include <QString>

namespace corvane::makequoting
{

// Why make cannot name this path in a rule (";", ":" or a line break in it, a trailing
// backslash, or a final ")" that make would read as an archive member), or a null string.
QString inexpressibleReason(const QString &path);

// The path as a prerequisite: "/w/My Dir/a#1.f90" -> "/w/My\ Dir/a\#1.f90".
QString prerequisite(const QString &path);

// The name as an explicit target: as a prerequisite, and "%" escaped so the rule stays explicit.
QString target(const QString &name);

// The path as one shell word in a recipe line: "/w/a b&c.f90" -> "/w/a\ b\&c.f90"; "$" -> "\$$".
QString shellWord(const QString &path);

// True when shellWord(name) is name itself: the name may pass through $@ or $(OBJS) unquoted.
bool isPlainForShell(const QString &name);

// An include-flag token for the INCLUDES line: unchanged, except that a quoted directory whose
// name the shell would act on inside double quotation marks (backquote, "$NAME", quotation mark,
// backslash) or make would cut at "#" is written as one escaped shell word instead. Unquoted
// tokens are the user's own text and may use make variables such as "$(NETCDF)/include".
QString includeToken(const QString &token);

// The name with every character that make or the shell would act on replaced by "_".
QString plainObjectName(const QString &name);

} // namespace corvane::makequoting
