// Parser: splits the project's include-flags string into directory tokens. Blanks separate
// tokens, except a blank after a backslash (an escaped blank) or inside double quotation marks;
// both the quotation marks and the backslashes stay in the tokens, since the Makefile hands them
// to the shell unchanged.
#pragma once

#include <QString>
#include <QStringList>

namespace corvane
{

class Parser
{
public:
    // "-I/a \"b c\" d\\ e"  ->  -I/a, "b c", d\ e. Empty pieces between blanks are skipped; a
    // token still open at the end (an unclosed quotation) is dropped.
    static QStringList parseforIncludePaths(const QString &flags);

    // The directory a token names: without surrounding double quotation marks when it has both.
    static QString unquotedPath(const QString &token);
};

} // namespace corvane
